#pragma once
// Writes an indented XML document, version "1.0", encoding "utf-8", element by
// element, without building the document as a tree first: into memory, or
// streamed to an open file descriptor in chunks. Every element is written
// straight into the output buffer's tail.
//
// The layout is the one the pattern files have always had: two spaces per
// level, each element on a line of its own, a leaf's text between its tags on
// that line, an element that got neither text nor children closed as "<name/>".

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "VeltranePatterns/Source/XML/XMLOutputBuffer.hpp"
#include "Zovudidova/FormattedDouble.hpp"

namespace VeltranePatterns {

class XMLElementWriter {
  public:
    // Streamed output goes to the descriptor in one write of all that is
    // buffered once at least this much is.
    static constexpr std::size_t streamChunkSize = 64 * 1024;
    // The buffer's room when streaming: a chunk and the elements that end
    // past it, so that it need not grow for elements of a usual size.
    static constexpr std::size_t streamBufferRoom = streamChunkSize + 4096;

    // Into memory; finish() gives the bytes.
    XMLElementWriter();
    // Streamed to the descriptor, which stays open and owned by the caller;
    // finish() gives nothing and writeError() tells whether every write succeeded.
    explicit XMLElementWriter(int fileDescriptor);
    XMLElementWriter(const XMLElementWriter&) = delete;
    XMLElementWriter& operator=(const XMLElementWriter&) = delete;

    // Element names are the format's own, plain ASCII, and must outlive the
    // writer. Inline (see below), as a pattern has an element per item.
    void startElement(std::string_view name);
    void endElement();

    // A child element holding the text (as xmlSafeText makes it, escaped); a
    // flag is an element with empty text.
    void addProperty(std::string_view name, std::string_view value);
    // The number in the shared number text ("1500.0", "1e-06"). Inline (see
    // below): nearly all of a pattern is such lines.
    void addProperty(std::string_view name, double value);

    // Closes every open element and writes out what is buffered; gives the
    // document's bytes when writing into memory, else the empty text.
    std::string finish();

    // The errno of the first write to the descriptor that failed, or 0.
    int writeError() const { return writeError_; }

  private:
    // Indents are copied from this run of spaces.
    static constexpr std::string_view spaces = "                                ";
    // The room an indent of the depth takes: two spaces per level, and space
    // for a whole run after them.
    static std::size_t indentRoom(std::size_t depth) { return 2 * depth + spaces.size(); }
    static char* putIndent(char* to, std::size_t depth);

    // The tail with room for the given number of bytes after the end of the
    // parent's start tag, which a new child element closes if still open.
    char* tailForChild(std::size_t size);
    // Starts a leaf line, "<name>" at its indent, with room for text of at most
    // textRoom bytes after it; returns where the text goes.
    char* startLeaf(std::string_view name, std::size_t textRoom);
    // Ends the leaf line whose text ends at the given place with "</name>".
    void endLeaf(char* textEnd, std::string_view name);
    void flushIfFull();
    void flush();

    XMLOutputBuffer out_;
    std::vector<std::string_view> open_;
    // The innermost element's start tag still lacks its ">".
    bool startTagOpen_ = false;
    // The next end tag takes no indent: it follows a child closed as an empty
    // element, the layout the files have always had there.
    bool endTagOnSameLine_ = false;
    int fileDescriptor_ = -1;
    int writeError_ = 0;
};

// A line is written here, inline where it is asked for, so that it takes no
// call per piece: with the element's name known at that place, its copies are
// a few fixed moves.

[[gnu::always_inline]] inline char* XMLElementWriter::putIndent(char* to, std::size_t depth) {
    std::size_t count = 2 * depth;
    for (; count > spaces.size(); count -= spaces.size()) {
        to = putText(to, spaces);
    }
    // The whole run, as one move; the indent is its first count spaces.
    std::memcpy(to, spaces.data(), spaces.size());
    return to + count;
}

[[gnu::always_inline]] inline char* XMLElementWriter::tailForChild(std::size_t size) {
    char* to = out_.room(size + 2);
    if (startTagOpen_) {
        *to++ = '>';
        *to++ = '\n';
        startTagOpen_ = false;
    }
    return to;
}

[[gnu::always_inline]] inline char* XMLElementWriter::startLeaf(std::string_view name, std::size_t textRoom) {
    // The indent, "<name>", the text and "</name>\n".
    char* to = tailForChild(indentRoom(open_.size()) + 2 * name.size() + textRoom + 6);
    to = putIndent(to, open_.size());
    *to++ = '<';
    to = putText(to, name);
    *to++ = '>';
    return to;
}

[[gnu::always_inline]] inline void XMLElementWriter::endLeaf(char* textEnd, std::string_view name) {
    char* to = textEnd;
    *to++ = '<';
    *to++ = '/';
    to = putText(to, name);
    *to++ = '>';
    *to++ = '\n';
    out_.advanceTo(to);
    endTagOnSameLine_ = false;
    flushIfFull();
}

inline void XMLElementWriter::flushIfFull() {
    if (fileDescriptor_ >= 0 && out_.size() >= streamChunkSize) {
        flush();
    }
}

[[gnu::always_inline]] inline void XMLElementWriter::startElement(std::string_view name) {
    char* to = tailForChild(indentRoom(open_.size()) + 1 + name.size());
    to = putIndent(to, open_.size());
    *to++ = '<';
    out_.advanceTo(putText(to, name));
    open_.push_back(name);
    startTagOpen_ = true;
    flushIfFull();
}

[[gnu::always_inline]] inline void XMLElementWriter::endElement() {
    if (open_.empty()) {
        return;
    }
    const std::string_view name = open_.back();
    open_.pop_back();
    char* to = out_.room(indentRoom(open_.size()) + name.size() + 4);
    if (startTagOpen_) {
        to = putText(to, "/>\n");
        startTagOpen_ = false;
        endTagOnSameLine_ = true;
    } else {
        if (endTagOnSameLine_) {
            endTagOnSameLine_ = false;
        } else {
            to = putIndent(to, open_.size());
        }
        *to++ = '<';
        *to++ = '/';
        to = putText(to, name);
        *to++ = '>';
        *to++ = '\n';
    }
    out_.advanceTo(to);
    flushIfFull();
}

[[gnu::always_inline]] inline void XMLElementWriter::addProperty(std::string_view name, double value) {
    // Number text is digits, signs, points and letters: nothing to escape.
    endLeaf(Zovudidova::formatDouble(value, startLeaf(name, Zovudidova::formattedDoubleCapacity)), name);
}

} // namespace VeltranePatterns
