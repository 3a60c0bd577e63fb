// What the instrument's links cost the computer while they wait: links open
// on the simulated bus (each adapter sending its status packet every
// millisecond, as with the links' 1 ms latency timer) and the wait for a
// terminator that never comes. The counters are the processor time of the
// whole process (driver threads, serial link and simulated bus) in percent
// of one core, and its context switches, per second of wall time. The status
// poll on top of a link is measured in bench/Electronics.

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialCommunication.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "ProcessorTime.hpp"
#include "adapterdriver/USB/BackendSelection.hpp"
#include "simulators/peers/Topology/SimulatedInstrument.hpp"

namespace {

using namespace Dotfield;
using LinkBenchmarks::ProcessCost;

constexpr auto measuredStretch = std::chrono::seconds(2);

// The simulated instrument on the bus the driver uses, and the links opened
// to it with the application's settings.
class OpenLinks {
  public:
    explicit OpenLinks(const std::vector<SerialPortType>& types)
        : instrument_(Simulators::SimulatedInstrument::Peers{nullptr, nullptr, nullptr}) {
        adapterdriver::setUSBBackend(instrument_.bus());
        for (const auto type : types) {
            const auto p = properties(type);
            ports_.push_back(openSerialPort(p.portName, p.baudRate, p.evenParity));
        }
    }
    ~OpenLinks() {
        for (const auto& port : ports_) {
            port->closeSerialPort();
        }
        adapterdriver::setUSBBackend(nullptr);
    }
    OpenLinks(const OpenLinks&) = delete;
    OpenLinks& operator=(const OpenLinks&) = delete;

    const std::shared_ptr<SerialPort>& port(std::size_t index) const { return ports_.at(index); }

  private:
    Simulators::SimulatedInstrument instrument_;
    std::vector<std::shared_ptr<SerialPort>> ports_;
};

void sitFor(std::chrono::nanoseconds stretch) {
    std::this_thread::sleep_for(stretch);
}

// The floor to judge the others by: one thread that does nothing but wake
// every millisecond, as the driver's event thread must for each status
// packet of an adapter with a 1 ms latency timer. What a wake costs depends
// on the machine (and on how busy it is) far more than on this program.
void BM_ThreadWakingEveryMillisecond(benchmark::State& state) {
    ProcessCost cost;
    for (auto _ : state) {
        cost.measure([] {
            std::thread waker([] {
                const auto end = std::chrono::steady_clock::now() + measuredStretch;
                for (auto due = std::chrono::steady_clock::now(); due < end;) {
                    due += std::chrono::milliseconds(1);
                    std::this_thread::sleep_until(due);
                }
            });
            waker.join();
        });
    }
    cost.report(state);
}
BENCHMARK(BM_ThreadWakingEveryMillisecond)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

// Range: how many links are open (1: the electronics; 3: electronics,
// positioner and relay box), nothing asked of them.
void BM_QuietLinks(benchmark::State& state) {
    std::vector<SerialPortType> types{SerialPortType::electronics};
    if (state.range(0) == 3) {
        types.push_back(SerialPortType::nskRobotics);
        types.push_back(SerialPortType::relay);
    }
    OpenLinks links(types);
    sitFor(std::chrono::milliseconds(100)); // past the open's own work
    ProcessCost cost;
    for (auto _ : state) {
        cost.measure([] { sitFor(measuredStretch); });
    }
    cost.report(state);
}
BENCHMARK(BM_QuietLinks)
    ->Arg(1)
    ->Arg(3)
    ->ArgName("links")
    ->Iterations(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// A terminated reply that never comes: the read waits out its 2.0 s.
void BM_WaitForTerminatorOnSilentLine(benchmark::State& state) {
    OpenLinks links({SerialPortType::electronics});
    SerialPort& port = *links.port(0);
    ProcessCost cost;
    for (auto _ : state) {
        cost.measure([&] {
            try {
                readBytesUntilTerminator('\r', port);
                state.SkipWithError("a reply came on a silent line");
            } catch (const CommunicationsError&) {
            }
        });
    }
    cost.report(state);
}
BENCHMARK(BM_WaitForTerminatorOnSilentLine)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
