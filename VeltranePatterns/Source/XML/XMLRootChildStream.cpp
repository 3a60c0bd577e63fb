#include "VeltranePatterns/Source/XML/XMLRootChildStream.hpp"

#include <libxml/globals.h>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>
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

// libxml2 reports some faults, such as bytes that do not convert from the
// declared encoding, through its thread's generic error handler rather than
// the parser's, which XML_PARSE_NOERROR silences. A bad file gives no pattern
// and prints nothing, so both handlers of this thread are muted while reading.
class MutedLibXMLErrors {
  public:
    MutedLibXMLErrors()
        : generic_(xmlGenericError), genericContext_(xmlGenericErrorContext), structured_(xmlStructuredError),
          structuredContext_(xmlStructuredErrorContext) {
        xmlSetGenericErrorFunc(nullptr, ignoreGenericError);
        xmlSetStructuredErrorFunc(nullptr, ignoreStructuredError);
    }
    ~MutedLibXMLErrors() {
        xmlSetGenericErrorFunc(genericContext_, generic_);
        xmlSetStructuredErrorFunc(structuredContext_, structured_);
    }
    MutedLibXMLErrors(const MutedLibXMLErrors&) = delete;
    MutedLibXMLErrors& operator=(const MutedLibXMLErrors&) = delete;

  private:
    static void ignoreGenericError(void*, const char*, ...) {}
    static void ignoreStructuredError(void*, xmlErrorPtr) {}

    xmlGenericErrorFunc generic_;
    void* genericContext_;
    xmlStructuredErrorFunc structured_;
    void* structuredContext_;
};

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
    const MutedLibXMLErrors muted;
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
    const MutedLibXMLErrors muted;
    // The reader owns the file from here and closes it, also when it fails.
    const ReaderPtr reader(xmlReaderForIO(readFromFile, closeFile, file, nullptr, nullptr, readerOptions));
    return visitChildren(reader.get(), visit);
}

} // namespace VeltranePatterns
