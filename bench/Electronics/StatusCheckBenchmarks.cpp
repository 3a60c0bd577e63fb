// The dispenser status check against the simulated electronics of both
// generations, through the serial link, the driver library and the simulated
// bus, with the settings kept in a file as the application keeps them: the
// time of one check, and what the status poll costs the processor over time,
// apart from the link it runs on and in all. What the link costs on its own
// is in bench/Links.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include <benchmark/benchmark.h>

#include "Dotfield/Application/DispenserStatus/DispenserStatusPollTick.hpp"
#include "Dotfield/Instrument/DispenserStatus/DispenserStatusPoll.hpp"
#include "Dotfield/Instrument/DispenserStatus/StatisticalSampling.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/Instrument/HelperFunctions/TimerTicks.hpp"
#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Platform/Settings/PersistentDefaults.hpp"
#include "adapterdriver/USB/BackendSelection.hpp"
#include "bench/Electronics/BenchmarkStatusPoints.hpp"
#include "bench/Links/ProcessorTime.hpp"
#include "bench/Settings/ScratchSettingsFile.hpp"
#include "simulators/electronics/SimulatedElectronics.hpp"
#include "simulators/peers/Topology/SimulatedInstrument.hpp"

namespace {

using namespace Dotfield;
using Generation = Simulators::SimulatedElectronics::Generation;

using benchmarks::statusPoints;

// The simulated electronics of one generation, the link opened to them, and
// an Electronics object on it, with its settings in a file of their own and
// reference statistics sampled from the electronics.
class SimulatedSetUp {
public:
    explicit SimulatedSetUp(Generation generation)
        : peer_(std::make_shared<Simulators::SimulatedElectronics>(generation)),
          instrument_(Simulators::SimulatedInstrument::Peers{peer_, nullptr, nullptr}) {
        adapterdriver::setUSBBackend(instrument_.bus());
        peer_->setMeasurementNoise(2.0, 0.002, 3);
        const auto properties = Dotfield::properties(SerialPortType::electronics);
        port_ = openSerialPort(properties.portName, properties.baudRate, properties.evenParity);
        electronics_ = std::make_shared<Electronics>(std::make_shared<UserDefaults>(
            UserDefaults::StandardDefaults{std::make_shared<PersistentDefaults>(settingsFile_.path())}));
        electronics_->setSerialPort(port_);
        electronics_->setHardwareGeneration(generation == Generation::originalDesign
                                                ? ElectronicsHardwareGeneration::originalDesign
                                                : ElectronicsHardwareGeneration::redesign2016);
    }
    ~SimulatedSetUp() {
        electronics_.reset();
        port_->closeSerialPort();
        adapterdriver::setUSBBackend(nullptr);
    }
    SimulatedSetUp(const SimulatedSetUp&) = delete;
    SimulatedSetUp& operator=(const SimulatedSetUp&) = delete;

    Electronics& electronics() { return *electronics_; }

    void sampleStatistics() {
        electronics_->setDispenserStatistics(performOnQueueSync(
            [&] { return performStatisticalSamplingOfImpedances(statusPoints, *electronics_, {}); }, *electronics_));
    }

private:
    ScopedMainThreadPump mainThread_;
    const SettingsBenchmarks::ScratchSettingsFile settingsFile_{"electronics-settings"};
    std::shared_ptr<Simulators::SimulatedElectronics> peer_;
    Simulators::SimulatedInstrument instrument_;
    std::shared_ptr<SerialPort> port_;
    std::shared_ptr<Electronics> electronics_;
};

Generation generationOf(const benchmark::State& state) {
    return state.range(0) == 0 ? Generation::originalDesign : Generation::redesign2016;
}

// One statistics-updating status check: 's' and 1300 bytes (original design)
// or 'P' and 30 bytes (redesign), the decision, the moving average and the
// statistics stored in the settings (the store writes its file a moment
// later, on a thread of its own).
void BM_StatusCheck(benchmark::State& state) {
    SimulatedSetUp setUp(generationOf(state));
    setUp.sampleStatistics();
    Electronics& electronics = setUp.electronics();
    for (auto _ : state) {
        benchmark::DoNotOptimize(performOnQueueSync([&] { return electronics.checkDispenserStatus(false); }, electronics));
    }
}
BENCHMARK(BM_StatusCheck)->Arg(0)->Arg(1)->ArgName("redesign")->UseRealTime()->Unit(benchmark::kMicrosecond);

// The application's status poll, its tick every 100 ms as the application runs
// it (with reference statistics, or without: the uncalibrated branch, five
// measurements and the diagnostics), over a fixed wall time.
// "pollCpuPercentOfOneCore" is the poll itself: the processor time of the
// thread running the ticks (the decision, the moving averages, the settings
// store and the serial link's calls for the exchange), summed tick by tick,
// in percent of one core. "cpuPercentOfOneCore" is the whole process in all:
// the poll with the link under it (the driver's threads and the simulated
// bus, which also serve the adapter while nothing is asked) and the settings
// file's delayed writes.
void BM_StatusPoll(benchmark::State& state) {
    constexpr auto stretch = std::chrono::seconds(2);
    // Outlive the set-up: a tick still queued when the poll is suspended runs
    // while the electronics are released.
    std::atomic<std::int64_t> tickNanoseconds{0};
    std::atomic<int> ticks{0};
    SimulatedSetUp setUp(generationOf(state));
    if (state.range(1) != 0) {
        setUp.sampleStatistics();
    }
    Electronics& electronics = setUp.electronics();
    performOnQueueSync([&] { electronics.initializeStatusCheck(statusPoints); }, electronics);
    auto windows = std::make_shared<DispenserStatusPollWindowRegistry>();
    windows->update([](DispenserStatusPollWindows& slots) {
        slots.updateWithNewReadings = [](const DispenserStatusPoints&, const DispenserStatusReading& readings) {
            benchmark::DoNotOptimize(readings);
        };
    });
    DispenserStatusPollEnvironment environment;
    environment.electronics = &electronics;
    environment.windows = windows;
    environment.reopenElectronicsLink = [] {};
    environment.onMainThread = [](const std::function<void()>& work) { work(); };
    environment.console = [](std::string_view) {};
    environment.reportState = [](const std::string&) {};
    auto tick = std::make_shared<DispenserStatusPollTick>(std::move(environment), statusPoints);
    LinkBenchmarks::ProcessCost process;
    const double wallStart = LinkBenchmarks::secondsOf(CLOCK_MONOTONIC);
    startRepeatingTimer(electronics, dispenserStatusPollInterval, dispenserStatusPollLeeway, [&, tick] {
        const double start = LinkBenchmarks::secondsOf(CLOCK_THREAD_CPUTIME_ID);
        (*tick)();
        tickNanoseconds +=
            static_cast<std::int64_t>((LinkBenchmarks::secondsOf(CLOCK_THREAD_CPUTIME_ID) - start) * 1e9);
        ++ticks;
    });
    for (auto _ : state) {
        process.measure([&] { std::this_thread::sleep_for(stretch); });
    }
    electronics.dispatchTimer().suspend();
    performOnQueueSync([] { return 0; }, electronics);
    const double wall = LinkBenchmarks::secondsOf(CLOCK_MONOTONIC) - wallStart;
    process.report(state);
    state.counters["pollCpuPercentOfOneCore"] = 100.0 * static_cast<double>(tickNanoseconds.load()) * 1e-9 / wall;
    state.counters["ticksPerSecond"] = ticks.load() / wall;
}
BENCHMARK(BM_StatusPoll)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"redesign", "statistics"})
    ->Iterations(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
