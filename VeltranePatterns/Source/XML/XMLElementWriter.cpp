#include "VeltranePatterns/Source/XML/XMLElementWriter.hpp"

#include "VeltranePatterns/Source/XML/XMLText.hpp"
#include "Zovudidova/NumberText.hpp"

namespace VeltranePatterns {

namespace {
const xmlChar* xmlText(const char* text) {
    return reinterpret_cast<const xmlChar*>(text);
}
} // namespace

XMLElementWriter::XMLElementWriter()
    : buffer_(xmlBufferCreate()), writer_(xmlNewTextWriterMemory(buffer_, 0)) {
    xmlTextWriterSetIndent(writer_, 1);
    xmlTextWriterSetIndentString(writer_, xmlText("  "));
    // Written out rather than through xmlTextWriterStartDocument, which would
    // spell the encoding "UTF-8".
    xmlTextWriterWriteRaw(writer_, xmlText("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"));
}

XMLElementWriter::~XMLElementWriter() {
    xmlFreeTextWriter(writer_);
    xmlBufferFree(buffer_);
}

void XMLElementWriter::startElement(const char* name) {
    xmlTextWriterStartElement(writer_, xmlText(name));
}

void XMLElementWriter::endElement() {
    xmlTextWriterEndElement(writer_);
}

void XMLElementWriter::addProperty(const char* name, const std::string& value) {
    xmlTextWriterStartElement(writer_, xmlText(name));
    xmlTextWriterWriteString(writer_, xmlText(xmlSafeText(value).c_str()));
    xmlTextWriterFullEndElement(writer_);
}

void XMLElementWriter::addProperty(const char* name, double value) {
    addProperty(name, Zovudidova::formatDouble(value));
}

std::string XMLElementWriter::finish() {
    xmlTextWriterEndDocument(writer_);
    xmlTextWriterFlush(writer_);
    return std::string(reinterpret_cast<const char*>(xmlBufferContent(buffer_)),
                       static_cast<std::size_t>(xmlBufferLength(buffer_)));
}

} // namespace VeltranePatterns
