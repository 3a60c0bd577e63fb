#pragma once
// Writes an indented XML document, version "1.0", encoding "utf-8", element by
// element into memory through libxml2's text writer, without building the
// document as a tree first.

#include <libxml/xmlwriter.h>

#include <string>

namespace VeltranePatterns {

class XMLElementWriter {
  public:
    XMLElementWriter();
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

    // Closes every open element and gives the document's bytes.
    std::string finish();

  private:
    xmlBuffer* buffer_;
    xmlTextWriter* writer_;
};

} // namespace VeltranePatterns
