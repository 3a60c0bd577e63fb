#include "VeltranePatterns/Source/XML/XMLRootChildStream.hpp"

#include <libxml/parser.h>
#include <libxml/xmlreader.h>

#include <climits>
#include <cstdio>
#include <memory>
#include <mutex>

namespace VeltranePatterns {

namespace {

// No XML_PARSE_NOENT, XML_PARSE_DTDLOAD or XML_PARSE_HUGE: entities stay
// references, nothing outside the input is read, and libxml2's limits stay.
constexpr int readerOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

struct ReaderDeleter {
    void operator()(xmlTextReader* reader) const { xmlFreeTextReader(reader); }
};
using ReaderPtr = std::unique_ptr<xmlTextReader, ReaderDeleter>;

void initialiseLibXML() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

bool visitChildren(xmlTextReader* reader, const XMLRootChildVisitor& visit) {
    if (reader == nullptr) {
        return false;
    }
    int status = 0;
    while ((status = xmlTextReaderRead(reader)) == 1 &&
           xmlTextReaderNodeType(reader) != XML_READER_TYPE_ELEMENT) {
    }
    if (status != 1) {
        return false;
    }
    const bool emptyRoot = xmlTextReaderIsEmptyElement(reader) == 1;
    status = xmlTextReaderRead(reader);
    while (status == 1) {
        if (!emptyRoot && xmlTextReaderDepth(reader) == 1 &&
            xmlTextReaderNodeType(reader) == XML_READER_TYPE_ELEMENT) {
            const xmlNode* child = xmlTextReaderExpand(reader);
            if (child == nullptr) {
                return false;
            }
            visit(child);
            status = xmlTextReaderNext(reader);
        } else {
            status = xmlTextReaderRead(reader);
        }
    }
    return status == 0;
}

int readFromFile(void* context, char* buffer, int length) {
    auto* file = static_cast<std::FILE*>(context);
    const std::size_t count = std::fread(buffer, 1, static_cast<std::size_t>(length), file);
    if (count == 0 && std::ferror(file) != 0) {
        return -1;
    }
    return static_cast<int>(count);
}

int closeFile(void* context) {
    return std::fclose(static_cast<std::FILE*>(context));
}

} // namespace

bool visitXMLRootChildren(std::string_view bytes, const XMLRootChildVisitor& visit) {
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        return false;
    }
    initialiseLibXML();
    const ReaderPtr reader(
        xmlReaderForMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr, readerOptions));
    return visitChildren(reader.get(), visit);
}

bool visitXMLRootChildren(const std::filesystem::path& path, const XMLRootChildVisitor& visit) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    initialiseLibXML();
    // The reader owns the file from here and closes it, also when it fails.
    const ReaderPtr reader(xmlReaderForIO(readFromFile, closeFile, file, nullptr, nullptr, readerOptions));
    return visitChildren(reader.get(), visit);
}

} // namespace VeltranePatterns
