#include "simulators/peers/RelayBox/SimulatedRelayBox.hpp"

#include <utility>

namespace Simulators {

namespace {
constexpr std::uint8_t frameStart = 0xFF;
constexpr std::uint8_t channel = 0x01;
constexpr std::uint8_t openCommand = 0x00;
constexpr std::uint8_t closeCommand = 0x01;
constexpr std::uint8_t queryCommand = 0x03;
constexpr std::size_t frameLength = 3;
} // namespace

SimulatedRelayBox::SimulatedRelayBox()
    : SimulatedPeer(SerialLineSettings{
          .baudRate = 9600, .dataBits = 8, .parity = Parity::none, .stopBits = StopBits::one}) {}

bool SimulatedRelayBox::isClosed() const {
    auto lock = lockState();
    return closed_;
}

void SimulatedRelayBox::setClosed(bool closed) {
    auto lock = lockState();
    drive(closed);
}

void SimulatedRelayBox::setOutputListener(std::function<void(bool closed)> listener) {
    auto lock = lockState();
    outputListener_ = std::move(listener);
}

void SimulatedRelayBox::drive(bool closed) {
    const bool changed = closed != closed_;
    closed_ = closed;
    if (changed && outputListener_) {
        outputListener_(closed);
    }
}

void SimulatedRelayBox::setStuck(bool stuck) {
    auto lock = lockState();
    stuck_ = stuck;
}

void SimulatedRelayBox::setReportedStateByte(std::optional<std::uint8_t> stateByte) {
    auto lock = lockState();
    reportedStateByte_ = stateByte;
}

std::vector<SimulatedRelayBox::Command> SimulatedRelayBox::commands() const {
    auto lock = lockState();
    return commands_;
}

void SimulatedRelayBox::decode(std::span<const std::uint8_t> bytes) {
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    std::size_t start = 0;
    while (pending_.size() - start >= frameLength) {
        const std::uint8_t* frame = pending_.data() + start;
        const bool known = frame[2] == openCommand || frame[2] == closeCommand || frame[2] == queryCommand;
        if (frame[0] != frameStart || frame[1] != channel || !known) {
            ++start; // resynchronise on the next byte
            continue;
        }
        if (frame[2] == queryCommand) {
            commands_.push_back(Command::query);
            const std::uint8_t state = reportedStateByte_.value_or(closed_ ? 0x01 : 0x00);
            reply({frameStart, channel, state});
        } else {
            const bool close = frame[2] == closeCommand;
            commands_.push_back(close ? Command::close : Command::open);
            if (!stuck_) {
                drive(close);
            }
        }
        start += frameLength;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(start));
}

} // namespace Simulators
