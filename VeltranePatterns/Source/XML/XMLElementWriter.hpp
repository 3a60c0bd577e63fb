#pragma once
// Writes an indented XML document, version "1.0", encoding "utf-8", element by
// element through libxml2's text writer, without building the document as a
// tree first: into memory, or streamed to an open file descriptor.

#include <libxml/xmlwriter.h>

#include <string>

namespace VeltranePatterns {

class XMLElementWriter {
  public:
    // Into memory; finish() gives the bytes.
    XMLElementWriter();
    // Streamed to the descriptor, which stays open and owned by the caller;
    // finish() gives nothing and writeError() tells whether every write succeeded.
    explicit XMLElementWriter(int fileDescriptor);
    ~XMLElementWriter();
    XMLElementWriter(const XMLElementWriter&) = delete;
    XMLElementWriter& operator=(const XMLElementWriter&) = delete;

    void startElement(const char* name);
    void endElement();

    // A child element holding the text (as xmlSafeText makes it); a flag is an
    // element with empty text.
    void addProperty(const char* name, const std::string& value);
    // The number in the shared number text ("1500.0", "1e-06").
    void addProperty(const char* name, double value);

    // Closes every open element and flushes; gives the document's bytes when
    // writing into memory, else the empty text.
    std::string finish();

    // The errno of the first write to the descriptor that failed, or 0.
    int writeError() const { return writeError_; }

  private:
    void writeHeader();

    xmlBuffer* buffer_ = nullptr;
    xmlTextWriter* writer_ = nullptr;
    int fileDescriptor_ = -1;
    int writeError_ = 0;
};

} // namespace VeltranePatterns
