#pragma once
// A peer without a protocol of its own, for testing the serial link itself: it
// answers each write with the next answer a test scripted for it, possibly in
// several pieces that arrive at different times. Writes with no answer left
// get none.

#include <chrono>
#include <cstdint>
#include <deque>
#include <span>
#include <vector>

#include "simulators/peers/SimulatedPeer.hpp"

namespace Simulators {

class ScriptedPeer final : public SimulatedPeer {
  public:
    struct Piece {
        std::vector<std::uint8_t> bytes;
        std::chrono::nanoseconds after{0}; // from the write that prompts it
    };
    using Answer = std::vector<Piece>;

    explicit ScriptedPeer(SerialLineSettings line);

    void answerNextWrite(Answer answer);
    // Writes arrive in pieces of whatever size the host sends; each call of
    // the adapter is one write.
    std::size_t writeCount() const;

  private:
    void decode(std::span<const std::uint8_t> bytes) override;

    std::deque<Answer> answers_;
    std::size_t writes_ = 0;
};

} // namespace Simulators
