// Importing a generated drawing as a pattern: parsing, mirroring, conversion to
// items, hatches and block references together.

#include <benchmark/benchmark.h>

#include "VeltranePatterns/Source/Import/DXF/DXFPatternImport.hpp"
#include "bench/DXF/GeneratedDrawing.hpp"

using namespace VeltranePatterns;

static void BM_ImportDXFAsPattern(benchmark::State& state) {
    const auto entityCount = static_cast<std::size_t>(state.range(0));
    const auto path = DXFBenchmarks::generatedDrawing(entityCount);
    const auto bytes = std::filesystem::file_size(path);
    for (auto _ : state) {
        auto pattern = patternFromDXFFile(path);
        benchmark::DoNotOptimize(pattern);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * entityCount));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    std::filesystem::remove(path);
}
BENCHMARK(BM_ImportDXFAsPattern)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
