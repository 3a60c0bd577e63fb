// The time of one command and reply through the serial link, against the raw
// driver calls for the same bytes on the same simulated adapter: a reply
// read to its terminator (as the identification and the status set-up text
// are read) and a fixed-length reply.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include <benchmark/benchmark.h>

#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialCommunication.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
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

// The floor: AD_Write of the command and one AD_Read of the reply's length.
void BM_ReplyThroughRawDriverCalls(benchmark::State& state) {
    ReplyingLink link;
    const AD_HANDLE handle = link.port().ftdiCommPort();
    for (auto _ : state) {
        Bytes outgoing = command;
        std::uint32_t count = 0;
        AD_Write(handle, outgoing.data(), static_cast<std::uint32_t>(outgoing.size()), &count);
        Bytes received(reply.size());
        AD_Read(handle, received.data(), static_cast<std::uint32_t>(received.size()), &count);
        received.resize(count);
        checkReply(state, received);
    }
}
BENCHMARK(BM_ReplyThroughRawDriverCalls)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_ReplyOfKnownLengthThroughTheLink(benchmark::State& state) {
    ReplyingLink link;
    for (auto _ : state) {
        genericSerialCommunication(command, command.size(), link.port(), AD_Write);
        checkReply(state, genericSerialCommunication(std::nullopt, reply.size(), link.port(), AD_Read));
    }
}
BENCHMARK(BM_ReplyOfKnownLengthThroughTheLink)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_ReplyToTerminatorThroughTheLink(benchmark::State& state) {
    ReplyingLink link;
    for (auto _ : state) {
        genericSerialCommunication(command, command.size(), link.port(), AD_Write);
        checkReply(state, readBytesUntilTerminator('\r', link.port()));
    }
}
BENCHMARK(BM_ReplyToTerminatorThroughTheLink)->UseRealTime()->Unit(benchmark::kMicrosecond);

} // namespace
