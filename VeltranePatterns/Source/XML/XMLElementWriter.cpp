#include "VeltranePatterns/Source/XML/XMLElementWriter.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "VeltranePatterns/Source/XML/XMLText.hpp"

namespace VeltranePatterns {

namespace {

constexpr std::string_view header = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

// The longest entity a character of element text becomes.
constexpr std::size_t longestEntity = 6;

// The entity of a character that element text must not hold as it is; the
// carriage return is kept from being read back as a line feed.
std::string_view entityOf(char c) {
    switch (c) {
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    case '&':
        return "&amp;";
    case '"':
        return "&quot;";
    case '\r':
        return "&#13;";
    default:
        return {};
    }
}

// True when every byte is printable ASCII (or tab, line feed or carriage
// return): such text is already as xmlSafeText would make it.
bool plainASCII(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 || (byte < 0x20 && c != '\t' && c != '\n' && c != '\r')) {
            return false;
        }
    }
    return true;
}

// True when the text is written as it is: plain ASCII without a character
// that would become an entity, as layer names nearly always are.
bool needsNoEscaping(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 || (byte < 0x20 && c != '\t' && c != '\n') || c == '<' || c == '>' || c == '&' ||
            c == '"') {
            return false;
        }
    }
    return true;
}

// The text with every character that needs it as its entity; takes at most
// longestEntity bytes per byte of text.
char* putEscaped(char* to, std::string_view text) {
    for (const char c : text) {
        const std::string_view entity = entityOf(c);
        if (entity.empty()) {
            *to++ = c;
        } else {
            to = putText(to, entity);
        }
    }
    return to;
}

} // namespace

XMLElementWriter::XMLElementWriter() {
    out_.advanceTo(putText(out_.room(header.size()), header));
}

XMLElementWriter::XMLElementWriter(int fileDescriptor)
    : out_(streamBufferRoom), fileDescriptor_(fileDescriptor) {
    out_.advanceTo(putText(out_.room(header.size()), header));
}

void XMLElementWriter::addProperty(std::string_view name, std::string_view value) {
    if (needsNoEscaping(value)) {
        endLeaf(putText(startLeaf(name, value.size()), value), name);
    } else if (plainASCII(value)) {
        endLeaf(putEscaped(startLeaf(name, longestEntity * value.size()), value), name);
    } else {
        const std::string safe = xmlSafeText(value);
        endLeaf(putEscaped(startLeaf(name, longestEntity * safe.size()), safe), name);
    }
}

void XMLElementWriter::flush() {
    const std::string_view bytes = out_.text();
    std::size_t written = 0;
    while (writeError_ == 0 && written < bytes.size()) {
        const ssize_t count = ::write(fileDescriptor_, bytes.data() + written, bytes.size() - written);
        if (count < 0) {
            if (errno != EINTR) {
                writeError_ = errno;
            }
            continue;
        }
        written += static_cast<std::size_t>(count);
    }
    out_.clear();
}

std::string XMLElementWriter::finish() {
    while (!open_.empty()) {
        endElement();
    }
    if (fileDescriptor_ >= 0) {
        flush();
        return {};
    }
    return out_.take();
}

} // namespace VeltranePatterns
