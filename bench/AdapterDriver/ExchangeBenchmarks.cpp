// Exchanges through the driver library and the simulated USB bus: the rate
// of one-byte echo exchanges, and the processor time an idle read spends
// waiting out its time-out.

#include <ctime>
#include <memory>

#include <benchmark/benchmark.h>

#include "adapterdriver/Library/ConfigFile.hpp"
#include "adapterdriver/USB/BackendSelection.hpp"
#include "adapterdriver/adapterdriver.h"
#include "simulators/usb/SimulatedUSBBus.hpp"

namespace {

using Simulators::AdapterDescription;

class EchoPeer : public Simulators::AdapterPeer {
public:
    void receive(std::span<const std::uint8_t> bytes, Simulators::SimulatedSerialPort& port) override {
        port.send(bytes);
    }
};

// One adapter on a simulated bus, opened and set up as the serial link does.
class OpenAdapter {
public:
    OpenAdapter() : bus_(std::make_shared<Simulators::SimulatedUSBBus>()) {
        adapterdriver::setUSBBackend(bus_);
        adapterdriver::setConfigFileSearchPath({});
        adapter_ = bus_->plugIn(AdapterDescription::chip232R("FT232R USB UART", "BENCH001"));
        adapter_->attachPeer(0, std::make_shared<EchoPeer>());
        char description[] = "FT232R USB UART";
        if (AD_OpenEx(description, AD_OPEN_BY_DESCRIPTION, &handle_) != AD_OK) {
            handle_ = nullptr;
            return;
        }
        AD_SetBaudRate(handle_, 115200);
        AD_SetDataCharacteristics(handle_, AD_BITS_8, AD_STOP_BITS_1, AD_PARITY_NONE);
        AD_SetLatencyTimer(handle_, 1);
    }
    ~OpenAdapter() {
        if (handle_ != nullptr) {
            AD_Close(handle_);
        }
        adapterdriver::setUSBBackend(nullptr);
        adapterdriver::restoreDefaultConfigFileSearchPath();
    }
    OpenAdapter(const OpenAdapter&) = delete;
    OpenAdapter& operator=(const OpenAdapter&) = delete;

    AD_HANDLE handle() const { return handle_; }

private:
    std::shared_ptr<Simulators::SimulatedUSBBus> bus_;
    std::shared_ptr<Simulators::SimulatedAdapter> adapter_;
    AD_HANDLE handle_ = nullptr;
};

double cpuSeconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void BM_OneByteEchoExchange(benchmark::State& state) {
    OpenAdapter open;
    if (open.handle() == nullptr) {
        state.SkipWithError("the adapter did not open");
        return;
    }
    AD_SetTimeouts(open.handle(), 1000, 1000);
    std::uint8_t byte = 0x55;
    for (auto _ : state) {
        std::uint32_t count = 0;
        AD_Write(open.handle(), &byte, 1, &count);
        std::uint8_t echoed = 0;
        AD_Read(open.handle(), &echoed, 1, &count);
        if (count != 1 || echoed != byte) {
            state.SkipWithError("the echo did not come back");
            break;
        }
        ++byte;
    }
    state.counters["exchanges"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_OneByteEchoExchange)->UseRealTime();

// An AD_Read that waits its whole time-out for a byte that never comes; the
// counters give the processor time of the reading thread, and of the whole
// process (receive threads and simulated bus included), per second waited.
void BM_IdleReadWaitingOutItsTimeOut(benchmark::State& state) {
    OpenAdapter open;
    if (open.handle() == nullptr) {
        state.SkipWithError("the adapter did not open");
        return;
    }
    const auto timeout = static_cast<std::uint32_t>(state.range(0));
    AD_SetTimeouts(open.handle(), timeout, 0);
    double threadCpu = 0;
    double processCpu = 0;
    double waited = 0;
    for (auto _ : state) {
        const double wallStart = cpuSeconds(CLOCK_MONOTONIC);
        const double threadStart = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        const double processStart = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        std::uint8_t byte = 0;
        std::uint32_t count = 0;
        AD_Read(open.handle(), &byte, 1, &count);
        threadCpu += cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - threadStart;
        processCpu += cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processStart;
        waited += cpuSeconds(CLOCK_MONOTONIC) - wallStart;
    }
    state.counters["readerCpuPerSecond"] = threadCpu / waited;
    state.counters["processCpuPerSecond"] = processCpu / waited;
}
BENCHMARK(BM_IdleReadWaitingOutItsTimeOut)
    ->Arg(100)
    ->Iterations(10)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
