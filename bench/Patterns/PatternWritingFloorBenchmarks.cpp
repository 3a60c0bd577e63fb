// Writing the generated 100,000-item pattern beside its floor, in one run:
// the floor makes the very same bytes with nothing but std::to_chars for the
// numbers and plain copies of the text between them (taken from the document
// beforehand), into memory and streamed to a file in 64 KiB chunks through a
// temporary file that is synced and renamed, as the writer does. It writes
// into the writer's own output buffer, so both grow their output alike and pay
// for the same memory being touched. Counters: each side's processor
// milliseconds per document (of the benchmark's thread, so that other work on
// the machine does not count) and ours over the floor.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "GeneratedPattern.hpp"
#include "ThreadProcessorTime.hpp"
#include "VeltranePatterns/Source/XML/XMLElementWriter.hpp"
#include "VeltranePatterns/Source/XML/XMLOutputBuffer.hpp"
#include "Zovudidova/FormattedDouble.hpp"
#include "Zovudidova/NumberText.hpp"

using PatternBenchmarks::generatedPattern;
using PatternBenchmarks::threadSecondsOf;
using VeltranePatterns::XMLElementWriter;
using VeltranePatterns::XMLOutputBuffer;

namespace {

namespace fs = std::filesystem;

// The document as text between numbers: literal 0, number 0, literal 1, ...;
// the literals lie one after another in one text, literalEnds[i] ending the
// i-th.
struct DocumentPieces {
    std::string literals;
    std::vector<std::size_t> literalEnds;
    std::vector<double> numbers;
};

DocumentPieces piecesOf(const std::string& document) {
    DocumentPieces pieces;
    std::size_t at = 0;
    while (at < document.size()) {
        const std::size_t textStart = document.find('>', at);
        const std::size_t textEnd =
            textStart == std::string::npos ? std::string::npos : document.find('<', textStart);
        if (textEnd == std::string::npos) {
            pieces.literals.append(document, at);
            break;
        }
        pieces.literals.append(document, at, textStart + 1 - at);
        const std::string text = document.substr(textStart + 1, textEnd - textStart - 1);
        const auto number = Zovudidova::parseDouble(text);
        if (!text.empty() && number && Zovudidova::formatDouble(*number) == text) {
            pieces.literalEnds.push_back(pieces.literals.size());
            pieces.numbers.push_back(*number);
        } else {
            pieces.literals += text;
        }
        at = textEnd;
    }
    pieces.literalEnds.push_back(pieces.literals.size());
    return pieces;
}

using Zovudidova::formattedDoubleCapacity;

// The number in the shared number text, written at the tail, which has room
// for formattedDoubleCapacity bytes.
char* putNumber(char* to, double value) {
    const double magnitude = std::fabs(value);
    const bool exponent = magnitude != 0.0 && (magnitude < 1e-4 || magnitude >= 0x1.0p54);
    char* end = std::to_chars(to, to + formattedDoubleCapacity - 2, value,
                              exponent ? std::chars_format::scientific : std::chars_format::fixed)
                    .ptr;
    if (!exponent && std::find(to, end, '.') == end) {
        *end++ = '.';
        *end++ = '0';
    }
    return end;
}

void putLiteral(XMLOutputBuffer& out, const char* text, std::size_t size) {
    out.advanceTo(static_cast<char*>(std::memcpy(out.room(size), text, size)) + size);
}

// Calls the sink whenever at least the chunk size is buffered, and at the end.
template <typename Sink>
void formatPieces(const DocumentPieces& pieces, XMLOutputBuffer& out, std::size_t chunk, Sink sink) {
    const char* literal = pieces.literals.data();
    std::size_t from = 0;
    for (std::size_t i = 0; i < pieces.numbers.size(); ++i) {
        putLiteral(out, literal + from, pieces.literalEnds[i] - from);
        from = pieces.literalEnds[i];
        out.advanceTo(putNumber(out.room(formattedDoubleCapacity), pieces.numbers[i]));
        if (out.size() >= chunk) {
            sink(out);
        }
    }
    putLiteral(out, literal + from, pieces.literalEnds.back() - from);
    sink(out);
}

std::string floorDocument(const DocumentPieces& pieces) {
    XMLOutputBuffer out;
    formatPieces(pieces, out, std::string::npos, [](XMLOutputBuffer&) {});
    return out.take();
}

void floorFile(const DocumentPieces& pieces, const fs::path& file) {
    std::string name = file.string() + ".XXXXXX";
    const int descriptor = ::mkostemp(name.data(), O_CLOEXEC);
    XMLOutputBuffer out(XMLElementWriter::streamBufferRoom);
    formatPieces(pieces, out, XMLElementWriter::streamChunkSize, [descriptor](XMLOutputBuffer& buffered) {
        const std::string_view bytes = buffered.text();
        for (std::size_t written = 0; written < bytes.size();) {
            const ssize_t count = ::write(descriptor, bytes.data() + written, bytes.size() - written);
            written += count > 0 ? static_cast<std::size_t>(count) : 0;
        }
        buffered.clear();
    });
    ::fsync(descriptor);
    ::close(descriptor);
    ::rename(name.c_str(), file.c_str());
}

std::string fileText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void report(benchmark::State& state, double ours, double floor) {
    const auto n = static_cast<double>(state.iterations());
    state.counters["oursMs"] = 1000.0 * ours / n;
    state.counters["floorMs"] = 1000.0 * floor / n;
    state.counters["oursOverFloor"] = ours / floor;
}

void writeInMemoryBesideFloor(benchmark::State& state) {
    const auto pattern = generatedPattern(100000);
    const std::string document = pattern->dataForXMLRepresentation(1.0, std::nullopt, {});
    const DocumentPieces pieces = piecesOf(document);
    if (floorDocument(pieces) != document) {
        state.SkipWithError("the floor does not make the same bytes");
        return;
    }
    double ours = 0, floor = 0;
    for (auto _ : state) {
        floor += threadSecondsOf([&] { benchmark::DoNotOptimize(floorDocument(pieces).size()); });
        ours += threadSecondsOf([&] {
            benchmark::DoNotOptimize(pattern->dataForXMLRepresentation(1.0, std::nullopt, {}).size());
        });
    }
    report(state, ours, floor);
    state.counters["numbers"] = static_cast<double>(pieces.numbers.size());
    state.counters["bytes"] = static_cast<double>(document.size());
}
BENCHMARK(writeInMemoryBesideFloor)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

void writeFileBesideFloor(benchmark::State& state) {
    const auto pattern = generatedPattern(100000);
    const DocumentPieces pieces = piecesOf(pattern->dataForXMLRepresentation(1.0, std::nullopt, {}));
    const fs::path folder =
        fs::temp_directory_path() / ("dotfield-write-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    double ours = 0, floor = 0;
    for (auto _ : state) {
        ours += threadSecondsOf(
            [&] { pattern->writeXMLRepresentation(folder / "ours.xml", 1.0, std::nullopt, {}); });
        floor += threadSecondsOf([&] { floorFile(pieces, folder / "floor.xml"); });
    }
    const bool sameBytes = fileText(folder / "ours.xml") == fileText(folder / "floor.xml");
    fs::remove_all(folder);
    if (!sameBytes) {
        state.SkipWithError("the floor's file does not hold the same bytes");
        return;
    }
    report(state, ours, floor);
}
BENCHMARK(writeFileBesideFloor)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

} // namespace
