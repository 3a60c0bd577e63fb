#pragma once
// Writes an indented XML document, version "1.0", encoding "utf-8", element by
// element, without building the document as a tree first: into memory, or
// streamed to an open file descriptor in chunks.
//
// The layout is the one the pattern files have always had: two spaces per
// level, each element on a line of its own, a leaf's text between its tags on
// that line, an element that got neither text nor children closed as "<name/>".

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace VeltranePatterns {

class XMLElementWriter {
  public:
    // Into memory; finish() gives the bytes.
    XMLElementWriter();
    // Streamed to the descriptor, which stays open and owned by the caller;
    // finish() gives nothing and writeError() tells whether every write succeeded.
    explicit XMLElementWriter(int fileDescriptor);
    XMLElementWriter(const XMLElementWriter&) = delete;
    XMLElementWriter& operator=(const XMLElementWriter&) = delete;

    // Element names are the format's own, plain ASCII, and must outlive the
    // writer.
    void startElement(std::string_view name);
    void endElement();

    // A child element holding the text (as xmlSafeText makes it, escaped); a
    // flag is an element with empty text.
    void addProperty(std::string_view name, std::string_view value);
    // The number in the shared number text ("1500.0", "1e-06").
    void addProperty(std::string_view name, double value);

    // Closes every open element and writes out what is buffered; gives the
    // document's bytes when writing into memory, else the empty text.
    std::string finish();

    // The errno of the first write to the descriptor that failed, or 0.
    int writeError() const { return writeError_; }

  private:
    void openChild(std::string_view name);
    // Ends the open start tag of the parent of a new child.
    void closeStartTagForChild();
    void closeLeaf();
    bool appendLeafLine(std::string_view name, std::string_view text);
    void indent(std::size_t depth);
    void appendText(std::string_view text);
    void flushIfFull();
    void flush();

    std::string out_;
    std::vector<std::string_view> open_;
    // The innermost element's start tag still lacks its ">".
    bool startTagOpen_ = false;
    // The next end tag follows text (or a closed empty element) on its line.
    bool endTagOnSameLine_ = false;
    int fileDescriptor_ = -1;
    int writeError_ = 0;
};

} // namespace VeltranePatterns
