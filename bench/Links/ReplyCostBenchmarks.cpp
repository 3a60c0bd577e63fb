// The time of one command and reply through the serial link, against the raw
// driver calls for the same bytes on the same simulated adapter: a reply
// read to its terminator (as the identification and the status set-up text
// are read) and a fixed-length reply. Besides the wall time of a reply,
// "processorMicrosecondsPerReply" is the processor time the whole process
// spent on it (the caller, the port's queue, the driver threads and the
// simulated bus), and "threadSleepsPerReply" how often a thread went to
// sleep for it and had to be woken again: on a busy machine the wake-ups are
// most of the cost, and their count hardly depends on the load.

#include <chrono>
#include <cstdint>
#include <ctime>
#include <memory>
#include <span>
#include <vector>

#include <benchmark/benchmark.h>

#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialCommunication.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "ProcessorTime.hpp"
#include "adapterdriver/Library/ConfigFile.hpp"
#include "adapterdriver/USB/BackendSelection.hpp"
#include "adapterdriver/adapterdriver.h"
#include "simulators/usb/SimulatedUSBBus.hpp"

namespace {

using namespace Dotfield;
using Bytes = std::vector<std::uint8_t>;

const Bytes reply{'D', 'W', ' ', 'E', 'L', 'E', 'C', 'T', 'R', 'O',
                  'N', 'I', 'C', 'S', ' ', '2', '.', '1', '\r'};

// Answers every write at once with the same text reply.
class ReplyingPeer final : public Simulators::AdapterPeer {
  public:
    void receive(std::span<const std::uint8_t>, Simulators::SimulatedSerialPort& port) override {
        port.send(reply);
    }
};

// One adapter on a simulated bus with the replying peer, opened as the
// application opens its relay link.
class ReplyingLink {
  public:
    ReplyingLink() : bus_(std::make_shared<Simulators::SimulatedUSBBus>()) {
        adapterdriver::setUSBBackend(bus_);
        adapterdriver::setConfigFileSearchPath({});
        const auto p = properties(SerialPortType::relay);
        bus_->plugIn(Simulators::AdapterDescription::chip232R(p.portName, "BENCH001"))
            ->attachPeer(0, std::make_shared<ReplyingPeer>());
        port_ = openSerialPort(p.portName, p.baudRate, p.evenParity);
    }
    ~ReplyingLink() {
        port_->closeSerialPort();
        adapterdriver::setUSBBackend(nullptr);
        adapterdriver::restoreDefaultConfigFileSearchPath();
    }
    ReplyingLink(const ReplyingLink&) = delete;
    ReplyingLink& operator=(const ReplyingLink&) = delete;

    SerialPort& port() { return *port_; }

  private:
    std::shared_ptr<Simulators::SimulatedUSBBus> bus_;
    std::shared_ptr<SerialPort> port_;
};

const Bytes command{'I'};

void checkReply(benchmark::State& state, const Bytes& received) {
    if (received != reply) {
        state.SkipWithError("the reply did not come back whole");
    }
}

// The three ways of getting the reply.
void replyThroughRawDriverCalls(benchmark::State& state, SerialPort& port) {
    const AD_HANDLE handle = port.ftdiCommPort();
    Bytes outgoing = command;
    std::uint32_t count = 0;
    AD_Write(handle, outgoing.data(), static_cast<std::uint32_t>(outgoing.size()), &count);
    Bytes received(reply.size());
    AD_Read(handle, received.data(), static_cast<std::uint32_t>(received.size()), &count);
    received.resize(count);
    checkReply(state, received);
}

void replyOfKnownLengthThroughTheLink(benchmark::State& state, SerialPort& port) {
    genericSerialCommunication(command, command.size(), port, AD_Write);
    checkReply(state, genericSerialCommunication(std::nullopt, reply.size(), port, AD_Read));
}

void replyToTerminatorThroughTheLink(benchmark::State& state, SerialPort& port) {
    genericSerialCommunication(command, command.size(), port, AD_Write);
    checkReply(state, readBytesUntilTerminator('\r', port));
}

using ReplyWay = void (*)(benchmark::State&, SerialPort&);

void timeReplies(benchmark::State& state, ReplyWay way) {
    ReplyingLink link;
    const double processorStart = LinkBenchmarks::secondsOf(CLOCK_PROCESS_CPUTIME_ID);
    const double sleepsStart = LinkBenchmarks::voluntaryContextSwitches();
    for (auto _ : state) {
        way(state, link.port());
    }
    const double processor = LinkBenchmarks::secondsOf(CLOCK_PROCESS_CPUTIME_ID) - processorStart;
    const auto replies = static_cast<double>(state.iterations());
    state.counters["processorMicrosecondsPerReply"] = 1e6 * processor / replies;
    state.counters["threadSleepsPerReply"] =
        (LinkBenchmarks::voluntaryContextSwitches() - sleepsStart) / replies;
}

// The floor: AD_Write of the command and one AD_Read of the reply's length.
void BM_ReplyThroughRawDriverCalls(benchmark::State& state) {
    timeReplies(state, replyThroughRawDriverCalls);
}
BENCHMARK(BM_ReplyThroughRawDriverCalls)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_ReplyOfKnownLengthThroughTheLink(benchmark::State& state) {
    timeReplies(state, replyOfKnownLengthThroughTheLink);
}
BENCHMARK(BM_ReplyOfKnownLengthThroughTheLink)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_ReplyToTerminatorThroughTheLink(benchmark::State& state) {
    timeReplies(state, replyToTerminatorThroughTheLink);
}
BENCHMARK(BM_ReplyToTerminatorThroughTheLink)->UseRealTime()->Unit(benchmark::kMicrosecond);

// A way through the link against the raw calls, taken in alternating batches
// on the same link, so that both see the same load of a busy machine: the
// ratios of their wall and processor times per reply. Range: 0 a reply of
// known length, 1 a reply to its terminator.
void BM_ReplyThroughTheLinkAgainstRawCalls(benchmark::State& state) {
    constexpr int batch = 50;
    const ReplyWay way =
        state.range(0) == 0 ? replyOfKnownLengthThroughTheLink : replyToTerminatorThroughTheLink;
    ReplyingLink link;
    double wall[2] = {0, 0};
    double processor[2] = {0, 0};
    const auto timeBatch = [&](int index, ReplyWay replyWay) {
        const double wallStart = LinkBenchmarks::secondsOf(CLOCK_MONOTONIC);
        const double processorStart = LinkBenchmarks::secondsOf(CLOCK_PROCESS_CPUTIME_ID);
        for (int i = 0; i < batch; ++i) {
            replyWay(state, link.port());
        }
        processor[index] += LinkBenchmarks::secondsOf(CLOCK_PROCESS_CPUTIME_ID) - processorStart;
        wall[index] += LinkBenchmarks::secondsOf(CLOCK_MONOTONIC) - wallStart;
    };
    for (auto _ : state) {
        timeBatch(0, replyThroughRawDriverCalls);
        timeBatch(1, way);
    }
    const double replies = static_cast<double>(state.iterations()) * batch;
    state.counters["rawProcessorMicrosecondsPerReply"] = 1e6 * processor[0] / replies;
    state.counters["linkProcessorMicrosecondsPerReply"] = 1e6 * processor[1] / replies;
    state.counters["processorRatio"] = processor[1] / processor[0];
    state.counters["wallRatio"] = wall[1] / wall[0];
}
BENCHMARK(BM_ReplyThroughTheLinkAgainstRawCalls)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("toTerminator")
    ->Iterations(40)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
