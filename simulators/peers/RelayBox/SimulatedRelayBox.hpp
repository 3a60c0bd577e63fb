#pragma once
// The USB relay board as seen from its serial line (9600 baud, 8 data bits, no
// parity, 1 stop bit). It understands two three-byte commands on channel 1:
//   0xFF 0x01 0x00 / 0x01   drive the output open / closed (no answer)
//   0xFF 0x01 0x03          report: answers 0xFF 0x01 <state>
// Anything else is skipped byte by byte until a frame lines up again.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "simulators/peers/SimulatedPeer.hpp"

namespace Simulators {

class SimulatedRelayBox final : public SimulatedPeer {
  public:
    enum class Command { open, close, query };

    SimulatedRelayBox();

    bool isClosed() const;
    void setClosed(bool closed);
    // A stuck contact stays where it is whatever it is told.
    void setStuck(bool stuck);
    // Answers state queries with this byte in place of the real state.
    void setReportedStateByte(std::optional<std::uint8_t> stateByte);
    // The commands understood so far, in order.
    std::vector<Command> commands() const;
    // Told every change of the output (true: closed), whether commanded or
    // set by a test. Runs with the peer's lock held, so it must not call back
    // into this peer.
    void setOutputListener(std::function<void(bool closed)> listener);

  private:
    void decode(std::span<const std::uint8_t> bytes) override;
    void drive(bool closed);

    std::vector<std::uint8_t> pending_;
    bool closed_ = false;
    bool stuck_ = false;
    std::optional<std::uint8_t> reportedStateByte_;
    std::vector<Command> commands_;
    std::function<void(bool)> outputListener_;
};

} // namespace Simulators
