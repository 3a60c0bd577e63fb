// The reference pattern printed through a pattern document on the simulated
// DropwrightIIb with its world in real time, as the application's simulated
// mode runs it: the time per item of the whole print, motion, wire time and
// the contours' drains included (surface finding at the start too; the
// connection is not timed).

#include <benchmark/benchmark.h>

#include <memory>

#include "Dotfield/tests/EndToEnd/ModelPrintingFixture.hpp"

namespace {

using Dotfield::testing::ModelPrinting;

void BM_ReferencePatternOnSimulatedIIbInRealTime(benchmark::State& state) {
    std::size_t items = 0;
    std::unique_ptr<ModelPrinting> printing;
    for (auto _ : state) {
        state.PauseTiming();
        printing = std::make_unique<ModelPrinting>(Dotfield::testing::PrintSetup{"IIb", 1.0, false});
        printing->connect();
        state.ResumeTiming();
        items = printing->print(ModelPrinting::referencePattern()).size();
    }
    printing.reset(); // after the timed loop
    state.counters["items"] = static_cast<double>(items);
    state.counters["per item"] =
        benchmark::Counter(static_cast<double>(items), benchmark::Counter::kIsIterationInvariantRate |
                                                           benchmark::Counter::kInvert);
}

BENCHMARK(BM_ReferencePatternOnSimulatedIIbInRealTime)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
