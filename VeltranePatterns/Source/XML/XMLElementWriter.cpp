#include "VeltranePatterns/Source/XML/XMLElementWriter.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

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

// Copies a short text with a few fixed-size moves, which the compiler makes
// into plain loads and stores, rather than a call per piece of a line.
char* copyShort(std::string_view text, char* to) {
    const std::size_t n = text.size();
    const char* from = text.data();
    if (n >= 8 && n <= 16) {
        std::memcpy(to, from, 8);
        std::memcpy(to + n - 8, from + n - 8, 8);
    } else if (n >= 4 && n < 8) {
        std::memcpy(to, from, 4);
        std::memcpy(to + n - 4, from + n - 4, 4);
    } else if (n < 4) {
        for (std::size_t i = 0; i < n; ++i) {
            to[i] = from[i];
        }
    } else {
        std::memcpy(to, from, n);
    }
    return to + n;
}

constexpr std::string_view sixteenSpaces = "                ";

// True when the text is written as it is: plain ASCII without a character
// that would become an entity.
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
    if (needsNoEscaping(value) && appendLeafLine(name, value)) {
        return;
    }
    openChild(name);
    appendText(value);
    closeLeaf();
}

void XMLElementWriter::addProperty(std::string_view name, double value) {
    // Number text is digits, signs, points and letters: nothing to escape.
    char number[Zovudidova::formattedDoubleCapacity];
    const std::string_view text(number, static_cast<std::size_t>(Zovudidova::formatDouble(value, number) - number));
    if (appendLeafLine(name, text)) {
        return;
    }
    openChild(name);
    out_ += '>';
    startTagOpen_ = false;
    endTagOnSameLine_ = true;
    out_ += text;
    closeLeaf();
}

// The whole line, "<name>text</name>" at its indent, made on the stack and
// appended at once: such lines are nearly all of what a pattern holds. False,
// with nothing written, for a line too long for the stack.
bool XMLElementWriter::appendLeafLine(std::string_view name, std::string_view text) {
    char line[256];
    const std::size_t spaces = 2 * open_.size();
    if (spaces + 2 * name.size() + text.size() + 6 > sizeof line) {
        return false;
    }
    closeStartTagForChild();
    char* end = spaces <= sixteenSpaces.size() ? copyShort(sixteenSpaces.substr(0, spaces), line)
                                               : std::fill_n(line, spaces, ' ');
    *end++ = '<';
    end = copyShort(name, end);
    *end++ = '>';
    end = copyShort(text, end);
    *end++ = '<';
    *end++ = '/';
    end = copyShort(name, end);
    *end++ = '>';
    *end++ = '\n';
    out_.append(line, static_cast<std::size_t>(end - line));
    endTagOnSameLine_ = false;
    flushIfFull();
    return true;
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
