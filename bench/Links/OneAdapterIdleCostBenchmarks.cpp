// What one instrument link costs the computer over a day of waiting: the
// simulated electronics on one simulated adapter, opened as the application
// opens its electronics link (1 ms latency timer, so the adapter sends a
// status packet every millisecond), measured over a fixed wall time while
//  - the port sits open with nothing asked of it,
//  - a read waits its 2.0 s for a terminator that never comes,
//  - the status poll runs every 100 ms against the electronics.
// "cpuPercentOfOneCore" is the processor time of the whole process (poll,
// serial link, driver threads and simulated bus) in percent of one core;
// "millisecondWakerCpuPercentOfOneCore", measured alternately with it, is
// what a thread that only wakes every millisecond costs on this machine at
// the same time: the least an adapter with a 1 ms latency timer can cost.

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include <benchmark/benchmark.h>

#include "Dotfield/Instrument/DispenserStatus/DispenserStatusPoll.hpp"
#include "Dotfield/Instrument/DispenserStatus/StatisticalSampling.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/Instrument/SerialLink/SerialCommunication.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "ProcessorTime.hpp"
#include "bench/Electronics/BenchmarkStatusPoints.hpp"
#include "SimulatedLinks.hpp"
#include "simulators/electronics/SimulatedElectronics.hpp"

namespace {

using namespace Dotfield;
using Generation = Simulators::SimulatedElectronics::Generation;
using LinkBenchmarks::CostBesideWaker;

constexpr auto measuredStretch = std::chrono::seconds(2);

using benchmarks::statusPoints;

// The simulated electronics behind the electronics link, and the Electronics
// object on that link.
class ElectronicsOnOneAdapter {
  public:
    explicit ElectronicsOnOneAdapter(Generation generation)
        : peer_(std::make_shared<Simulators::SimulatedElectronics>(generation)),
          links_({peer_, nullptr, nullptr}, {SerialPortType::electronics}),
          electronics_(std::make_shared<Electronics>(
              std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{}))) {
        peer_->setMeasurementNoise(2.0, 0.002, 3);
        electronics_->setSerialPort(links_.port(0));
        electronics_->setHardwareGeneration(generation == Generation::originalDesign
                                                ? ElectronicsHardwareGeneration::originalDesign
                                                : ElectronicsHardwareGeneration::redesign2016);
        std::this_thread::sleep_for(std::chrono::milliseconds(100)); // past the open's own work
    }
    ~ElectronicsOnOneAdapter() { electronics_.reset(); }
    ElectronicsOnOneAdapter(const ElectronicsOnOneAdapter&) = delete;
    ElectronicsOnOneAdapter& operator=(const ElectronicsOnOneAdapter&) = delete;

    SerialPort& port() { return *links_.port(0); }
    Electronics& electronics() { return *electronics_; }

    // Reference statistics, so that every poll tick runs the status check.
    void sampleStatistics() {
        electronics_->setDispenserStatistics(performOnQueueSync(
            [&] { return performStatisticalSamplingOfImpedances(statusPoints, *electronics_, {}); },
            *electronics_));
    }

  private:
    ScopedMainThreadPump mainThread_;
    std::shared_ptr<Simulators::SimulatedElectronics> peer_;
    LinkBenchmarks::OpenLinks links_;
    std::shared_ptr<Electronics> electronics_;
};

void sitOutTheStretch() {
    std::this_thread::sleep_for(measuredStretch);
}

void BM_QuietPort(benchmark::State& state) {
    ElectronicsOnOneAdapter setUp(Generation::redesign2016);
    CostBesideWaker cost;
    for (auto _ : state) {
        cost.measure(sitOutTheStretch);
    }
    cost.report(state);
}
BENCHMARK(BM_QuietPort)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

// A terminated reply that never comes: the read waits out its 2.0 s.
void BM_WaitForATerminatorThatNeverComes(benchmark::State& state) {
    ElectronicsOnOneAdapter setUp(Generation::redesign2016);
    CostBesideWaker cost;
    for (auto _ : state) {
        cost.measure([&] {
            try {
                readBytesUntilTerminator('\r', setUp.port());
                state.SkipWithError("a reply came on a silent line");
            } catch (const CommunicationsError&) {
            }
        });
    }
    cost.report(state);
}
BENCHMARK(BM_WaitForATerminatorThatNeverComes)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

// The status poll every 100 ms with reference statistics, as the application
// runs it all day: 's' and 1300 bytes a tick (original design) or 'P' and 30
// bytes (redesign).
void BM_StatusPollOnTheLink(benchmark::State& state) {
    // Outlives the set-up: a tick still queued when the poll is suspended
    // runs while the electronics are released.
    std::atomic<int> checks{0};
    ElectronicsOnOneAdapter setUp(state.range(0) == 0 ? Generation::originalDesign
                                                      : Generation::redesign2016);
    setUp.sampleStatistics();
    startDispenserStatusPoll(setUp.electronics(), statusPoints,
                             {[&](DispenserConnectionStatus) { ++checks; }, [&](std::exception_ptr) {}});
    CostBesideWaker cost;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        cost.measure(sitOutTheStretch);
    }
    const std::chrono::duration<double> polled = std::chrono::steady_clock::now() - start;
    setUp.electronics().dispatchTimer().suspend();
    cost.report(state);
    state.counters["checksPerSecond"] = checks.load() / polled.count();
}
BENCHMARK(BM_StatusPollOnTheLink)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("redesign")
    ->Iterations(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
