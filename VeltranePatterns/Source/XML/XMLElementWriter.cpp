#include "VeltranePatterns/Source/XML/XMLElementWriter.hpp"

#include <unistd.h>

#include <cerrno>

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
    writeHeader();
}

XMLElementWriter::XMLElementWriter(int fileDescriptor) : fileDescriptor_(fileDescriptor) {
    // libxml2 buffers the text and hands it over in chunks; each chunk is
    // written whole, and the first failure is kept for the caller.
    const auto write = [](void* context, const char* bytes, int length) -> int {
        auto* self = static_cast<XMLElementWriter*>(context);
        if (self->writeError_ != 0) {
            return -1;
        }
        int written = 0;
        while (written < length) {
            const ssize_t count = ::write(self->fileDescriptor_, bytes + written,
                                          static_cast<std::size_t>(length - written));
            if (count < 0) {
                if (errno == EINTR) {
                    continue;
                }
                self->writeError_ = errno;
                return -1;
            }
            written += static_cast<int>(count);
        }
        return length;
    };
    xmlOutputBuffer* output = xmlOutputBufferCreateIO(write, nullptr, this, nullptr);
    writer_ = xmlNewTextWriter(output);
    writeHeader();
}

void XMLElementWriter::writeHeader() {
    xmlTextWriterSetIndent(writer_, 1);
    xmlTextWriterSetIndentString(writer_, xmlText("  "));
    // Written out rather than through xmlTextWriterStartDocument, which would
    // spell the encoding "UTF-8".
    xmlTextWriterWriteRaw(writer_, xmlText("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"));
}

XMLElementWriter::~XMLElementWriter() {
    xmlFreeTextWriter(writer_);
    if (buffer_ != nullptr) {
        xmlBufferFree(buffer_);
    }
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
    if (buffer_ == nullptr) {
        return {};
    }
    return std::string(reinterpret_cast<const char*>(xmlBufferContent(buffer_)),
                       static_cast<std::size_t>(xmlBufferLength(buffer_)));
}

} // namespace VeltranePatterns
