// Parsing a generated drawing with callbacks that do nothing: the cost of the line
// reader, the group reading and the entity readers alone.

#include <benchmark/benchmark.h>

#include "VeltranePatterns/Source/Import/DXF/DXFParser.hpp"
#include "bench/DXF/GeneratedDrawing.hpp"

using namespace VeltranePatterns;

static void BM_ParseDXF(benchmark::State& state) {
    const auto entityCount = static_cast<std::size_t>(state.range(0));
    const auto path = DXFBenchmarks::generatedDrawing(entityCount);
    const auto bytes = std::filesystem::file_size(path);
    std::size_t reported = 0;
    for (auto _ : state) {
        auto parser = DXFParser::open(path);
        if (!parser) {
            state.SkipWithError("the generated drawing cannot be opened");
            break;
        }
        parser->layerCallback = [](const DXFLayer&) {};
        parser->entityCallback = [&](const DXFEntity&) { ++reported; };
        parser->hatchCallback = [&](const DXFHatch&) { ++reported; };
        parser->parse();
    }
    benchmark::DoNotOptimize(reported);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * entityCount));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    std::filesystem::remove(path);
}
BENCHMARK(BM_ParseDXF)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
