// What the instrument's links cost the computer while they sit open: all
// three links on the simulated bus (each adapter sending its status packet
// every millisecond, as with the links' 1 ms latency timer), nothing asked of
// them. The counters are the processor time of the whole process (driver
// threads, serial link and simulated bus) in percent of one core, and its
// context switches, per second of wall time. One adapter alone, waiting for
// a reply and under the status poll, is measured in
// OneAdapterIdleCostBenchmarks.cpp.

#include <chrono>
#include <thread>

#include <benchmark/benchmark.h>

#include "ProcessorTime.hpp"
#include "SimulatedLinks.hpp"

namespace {

using namespace Dotfield;
using LinkBenchmarks::CostBesideWaker;
using LinkBenchmarks::ProcessCost;

constexpr auto measuredStretch = std::chrono::seconds(2);

// The floor to judge the others by: one thread that does nothing but wake
// every millisecond.
void BM_ThreadWakingEveryMillisecond(benchmark::State& state) {
    ProcessCost cost;
    for (auto _ : state) {
        LinkBenchmarks::MillisecondWaker waker;
        cost.measure([] { std::this_thread::sleep_for(measuredStretch); });
    }
    cost.report(state);
}
BENCHMARK(BM_ThreadWakingEveryMillisecond)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

// The electronics, positioner and relay box links open and quiet.
void BM_ThreeQuietLinks(benchmark::State& state) {
    LinkBenchmarks::OpenLinks links(
        {nullptr, nullptr, nullptr},
        {SerialPortType::electronics, SerialPortType::nskRobotics, SerialPortType::relay});
    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // past the open's own work
    CostBesideWaker cost;
    for (auto _ : state) {
        cost.measure([] { std::this_thread::sleep_for(measuredStretch); });
    }
    cost.report(state);
}
BENCHMARK(BM_ThreeQuietLinks)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
