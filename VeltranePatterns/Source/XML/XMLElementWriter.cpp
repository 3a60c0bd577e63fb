#include "VeltranePatterns/Source/XML/XMLElementWriter.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "VeltranePatterns/Source/XML/XMLText.hpp"
#include "Zovudidova/FormattedDouble.hpp"

namespace VeltranePatterns {

namespace {

// Streamed output is written in chunks of about this size.
constexpr std::size_t chunkSize = 64 * 1024;

constexpr std::string_view header = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

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

// True when every byte is printable ASCII (or tab or line feed): such text is
// already as xmlSafeText would make it.
bool plainASCII(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 || (byte < 0x20 && c != '\t' && c != '\n' && c != '\r')) {
            return false;
        }
    }
    return true;
}

void appendEscaped(std::string& out, std::string_view text) {
    std::size_t plainFrom = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::string_view entity = entityOf(text[i]);
        if (!entity.empty()) {
            out.append(text, plainFrom, i - plainFrom);
            out += entity;
            plainFrom = i + 1;
        }
    }
    out.append(text, plainFrom);
}

} // namespace

XMLElementWriter::XMLElementWriter() {
    out_ += header;
    // Text just written: the root's end tag would follow it on its line, were
    // the root to stay empty.
    endTagOnSameLine_ = true;
}

XMLElementWriter::XMLElementWriter(int fileDescriptor) : XMLElementWriter() {
    fileDescriptor_ = fileDescriptor;
    out_.reserve(chunkSize + 4096);
}

void XMLElementWriter::indent(std::size_t depth) {
    out_.append(2 * depth, ' ');
}

void XMLElementWriter::closeStartTagForChild() {
    if (startTagOpen_) {
        out_ += ">\n";
        startTagOpen_ = false;
    }
}

void XMLElementWriter::openChild(std::string_view name) {
    closeStartTagForChild();
    indent(open_.size());
    open_.push_back(name);
    out_ += '<';
    out_ += name;
    startTagOpen_ = true;
}

void XMLElementWriter::startElement(std::string_view name) {
    openChild(name);
    flushIfFull();
}

void XMLElementWriter::endElement() {
    if (open_.empty()) {
        return;
    }
    if (startTagOpen_) {
        out_ += "/>\n";
        startTagOpen_ = false;
        endTagOnSameLine_ = true;
    } else {
        if (endTagOnSameLine_) {
            endTagOnSameLine_ = false;
        } else {
            indent(open_.size() - 1);
        }
        out_ += "</";
        out_ += open_.back();
        out_ += ">\n";
    }
    open_.pop_back();
    flushIfFull();
}

void XMLElementWriter::appendText(std::string_view text) {
    if (startTagOpen_) {
        out_ += '>';
        startTagOpen_ = false;
    }
    endTagOnSameLine_ = true;
    if (plainASCII(text)) {
        appendEscaped(out_, text);
    } else {
        appendEscaped(out_, xmlSafeText(text));
    }
}

// The end of a leaf element written with its text: always a full end tag.
void XMLElementWriter::closeLeaf() {
    if (startTagOpen_) {
        out_ += '>';
        startTagOpen_ = false;
        endTagOnSameLine_ = true;
    }
    endElement();
}

void XMLElementWriter::addProperty(std::string_view name, std::string_view value) {
    openChild(name);
    appendText(value);
    closeLeaf();
}

void XMLElementWriter::addProperty(std::string_view name, double value) {
    // The whole line, "<name>number</name>" at its indent, is made on the
    // stack and appended at once: numbers are most of what a pattern holds.
    // Number text is digits, signs, points and letters: nothing to escape.
    char line[256];
    const std::size_t spaces = 2 * open_.size();
    if (spaces + 2 * name.size() + Zovudidova::formattedDoubleCapacity + 6 > sizeof line) {
        openChild(name);
        out_ += '>';
        startTagOpen_ = false;
        endTagOnSameLine_ = true;
        char number[Zovudidova::formattedDoubleCapacity];
        out_.append(number, Zovudidova::formatDouble(value, number));
        closeLeaf();
        return;
    }
    closeStartTagForChild();
    char* end = line + spaces;
    std::fill(line, end, ' ');
    *end++ = '<';
    end = std::copy(name.begin(), name.end(), end);
    *end++ = '>';
    end = Zovudidova::formatDouble(value, end);
    *end++ = '<';
    *end++ = '/';
    end = std::copy(name.begin(), name.end(), end);
    *end++ = '>';
    *end++ = '\n';
    out_.append(line, static_cast<std::size_t>(end - line));
    endTagOnSameLine_ = false;
    flushIfFull();
}

void XMLElementWriter::flushIfFull() {
    if (fileDescriptor_ >= 0 && out_.size() >= chunkSize) {
        flush();
    }
}

void XMLElementWriter::flush() {
    std::size_t written = 0;
    while (writeError_ == 0 && written < out_.size()) {
        const ssize_t count = ::write(fileDescriptor_, out_.data() + written, out_.size() - written);
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
    return std::move(out_);
}

} // namespace VeltranePatterns
