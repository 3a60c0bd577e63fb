// Reading the generated pattern of 100,000 items from its file, as a document
// is opened, against the floor for it: libxml2's streaming reader walking the
// same file node by node with the reader's options, building nothing.
#include <libxml/xmlreader.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <benchmark/benchmark.h>

#include "GeneratedPattern.hpp"
#include "VeltranePatterns/Source/XML/PatternXMLReader.hpp"

namespace {

namespace fs = std::filesystem;

// The generated document, written once per process to a file of its own.
class GeneratedPatternFile {
  public:
    GeneratedPatternFile()
        : path_(fs::temp_directory_path() /
                ("dotfield-bench-pattern-" + std::to_string(::getpid()) + ".xml")) {
        std::ofstream(path_, std::ios::binary) << PatternBenchmarks::generatedDocument();
    }
    ~GeneratedPatternFile() {
        std::error_code ignored;
        fs::remove(path_, ignored);
    }
    GeneratedPatternFile(const GeneratedPatternFile&) = delete;
    GeneratedPatternFile& operator=(const GeneratedPatternFile&) = delete;

    const fs::path& path() const { return path_; }
    std::int64_t size() const {
        return static_cast<std::int64_t>(PatternBenchmarks::generatedDocument().size());
    }

  private:
    fs::path path_;
};

const GeneratedPatternFile& patternFile() {
    static const GeneratedPatternFile file;
    return file;
}

void readPatternFile(benchmark::State& state) {
    const GeneratedPatternFile& file = patternFile();
    for (auto _ : state) {
        const auto pattern = VeltranePatterns::patternFromXMLFile(file.path());
        if (!pattern) {
            state.SkipWithError("the pattern file did not read");
            break;
        }
        benchmark::DoNotOptimize(pattern.get());
    }
    state.SetBytesProcessed(state.iterations() * file.size());
}
BENCHMARK(readPatternFile)->Unit(benchmark::kMillisecond);

void streamPatternFileWithLibXML(benchmark::State& state) {
    const GeneratedPatternFile& file = patternFile();
    for (auto _ : state) {
        xmlTextReaderPtr reader = xmlReaderForFile(file.path().c_str(), nullptr,
                                                   XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
        if (reader == nullptr) {
            state.SkipWithError("libxml2 could not open the pattern file");
            break;
        }
        int nodes = 0;
        int result = 0;
        while ((result = xmlTextReaderRead(reader)) == 1) {
            ++nodes;
        }
        xmlFreeTextReader(reader);
        if (result != 0) {
            state.SkipWithError("libxml2 could not read the pattern file");
            break;
        }
        benchmark::DoNotOptimize(nodes);
    }
    state.SetBytesProcessed(state.iterations() * file.size());
}
BENCHMARK(streamPatternFileWithLibXML)->Unit(benchmark::kMillisecond);

} // namespace
