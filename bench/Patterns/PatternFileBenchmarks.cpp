// Reading, writing and ordering a generated pattern of 100,000 mixed items.
#include <libxml/parser.h>
#include <unistd.h>

#include <filesystem>

#include <random>
#include <string>

#include <benchmark/benchmark.h>

#include "VeltranePatterns/Source/Items/PatternItems.hpp"
#include "VeltranePatterns/Source/Optimiser/PrintOrderOptimiser.hpp"
#include "VeltranePatterns/Source/XML/PatternXMLReader.hpp"

using namespace VeltranePatterns;

namespace {

// Lines (a third of them chained end to start), points, fills, arcs, arc
// fills, polygons and pauses over three layers, on a 1 mm grid.
std::shared_ptr<Pattern> generatedPattern(std::size_t count) {
    std::mt19937 random(42);
    std::uniform_int_distribution<int> grid(0, 999);
    const auto at = [&] { return Coordinate{grid(random) * 100.0, grid(random) * 100.0, 0.0}; };
    std::vector<PatternItemPtr> layers[3];
    Coordinate chainEnd = at();
    for (std::size_t i = 0; i < count; ++i) {
        PatternItemPtr item;
        switch (i % 10) {
        case 0:
        case 1:
        case 2:
            item = std::make_shared<const Line>(at(), at());
            break;
        case 3: {
            const Coordinate next = at();
            item = std::make_shared<const Line>(chainEnd, next);
            chainEnd = next;
            break;
        }
        case 4:
        case 5:
            item = std::make_shared<const Point>(at(), Zovudidova::milliseconds(5));
            break;
        case 6:
            item =
                std::make_shared<const Fill>(at(), FillDimensions{500, 300, 0}, Fill::FillType::horizontal);
            break;
        case 7:
            item = std::make_shared<const Arc>(at(), Zovudidova::degrees(0), Zovudidova::degrees(90), 250,
                                               RotationalDirection::clockwise, 10.0);
            break;
        case 8: {
            const Coordinate c = at();
            item = std::make_shared<const Polygon>(
                std::vector<Coordinate>{c, c + Coordinate{300, 0, 0}, c + Coordinate{150, 200, 0}});
            break;
        }
        default:
            item = i % 100 == 9 ? PatternItemPtr(std::make_shared<const PatternPause>(1.0))
                                : std::make_shared<const ArcFill>(50, 200, at(), Zovudidova::degrees(0),
                                                                  Zovudidova::degrees(360),
                                                                  RotationalDirection::counterClockwise);
            break;
        }
        layers[i % 3].push_back(std::move(item));
    }
    return std::make_shared<Pattern>(Zovudidova::DistanceUnit::microns, 1.0, 1.0, 50.0, 100.0, std::nullopt,
                                     std::nullopt, std::nullopt, false, false, false,
                                     std::vector<SolutionLayer>{SolutionLayer(layers[0], "A"),
                                                                SolutionLayer(layers[1], "B"),
                                                                SolutionLayer(layers[2], "C")},
                                     Pattern::Triple{}, Pattern::Triple{99900, 99900, 0});
}

const std::string& generatedDocument() {
    static const std::string document =
        generatedPattern(100000)->dataForXMLRepresentation(1.0, std::nullopt, {});
    return document;
}

void writePattern(benchmark::State& state) {
    const std::shared_ptr<Pattern> pattern = generatedPattern(100000);
    for (auto _ : state) {
        benchmark::DoNotOptimize(pattern->dataForXMLRepresentation(1.0, std::nullopt, {}).size());
    }
}
BENCHMARK(writePattern)->Unit(benchmark::kMillisecond);

// The same document streamed to a file through its temporary file.
void writePatternFile(benchmark::State& state) {
    const std::shared_ptr<Pattern> pattern = generatedPattern(100000);
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("dotfield-bench-" + std::to_string(::getpid()) + ".xml");
    for (auto _ : state) {
        pattern->writeXMLRepresentation(file, 1.0, std::nullopt, {});
    }
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
}
BENCHMARK(writePatternFile)->Unit(benchmark::kMillisecond);

void readPattern(benchmark::State& state) {
    const std::string& document = generatedDocument();
    for (auto _ : state) {
        benchmark::DoNotOptimize(patternFromXMLData(document).get());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * document.size()));
}
BENCHMARK(readPattern)->Unit(benchmark::kMillisecond);

// The parse alone, with the reader's options: the floor for reading.
void parseWithLibXML(benchmark::State& state) {
    const std::string& document = generatedDocument();
    for (auto _ : state) {
        xmlDoc* parsed = xmlReadMemory(document.data(), static_cast<int>(document.size()), nullptr, nullptr,
                                       XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
        benchmark::DoNotOptimize(parsed);
        xmlFreeDoc(parsed);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * document.size()));
}
BENCHMARK(parseWithLibXML)->Unit(benchmark::kMillisecond);

void optimisePattern(benchmark::State& state) {
    const std::shared_ptr<Pattern> pattern = generatedPattern(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(pattern->optimizedForPrinting().get());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(optimisePattern)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

// One layer of lines that all chain end to start.
void optimiseOneLongChain(benchmark::State& state) {
    std::vector<PatternItemPtr> items;
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        const double x = static_cast<double>(i);
        items.push_back(std::make_shared<const Line>(Coordinate{x, x, 0}, Coordinate{x + 1, x + 1, 0}));
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(optimizePatternItemOrderForPrinting(items).data());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(optimiseOneLongChain)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

} // namespace
