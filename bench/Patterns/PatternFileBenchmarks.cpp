// Writing and ordering a generated pattern of 100,000 mixed items (reading
// it is in PatternFileReadingBenchmarks.cpp).
#include <unistd.h>

#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "GeneratedPattern.hpp"
#include "VeltranePatterns/Source/Optimiser/PrintOrderOptimiser.hpp"

using namespace VeltranePatterns;
using PatternBenchmarks::generatedPattern;

namespace {

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

void optimisePattern(benchmark::State& state) {
    const std::shared_ptr<Pattern> pattern = generatedPattern(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(pattern->optimizedForPrinting().get());
    }
    state.SetComplexityN(state.range(0));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
// Sizes a factor 2 apart from about a thousand items, which fit in the
// processor's caches, to about a million, far past them, so that the fit is
// not decided by one step where the data leaves a cache. An item costs more
// as the data outgrows each cache, so read the fit with items_per_second: a
// step that costs more than n log n shows as throughput falling at every
// doubling, not only where a cache ends.
BENCHMARK(optimisePattern)
    ->RangeMultiplier(2)
    ->Range(1 << 10, 1 << 20)
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
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(optimiseOneLongChain)
    ->RangeMultiplier(2)
    ->Range(1 << 10, 1 << 20)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

} // namespace
