#include "simulators/peers/Scripted/ScriptedPeer.hpp"

#include <utility>

namespace Simulators {

ScriptedPeer::ScriptedPeer(SerialLineSettings line) : SimulatedPeer(line) {}

void ScriptedPeer::answerNextWrite(Answer answer) {
    auto lock = lockState();
    answers_.push_back(std::move(answer));
}

std::size_t ScriptedPeer::writeCount() const {
    auto lock = lockState();
    return writes_;
}

void ScriptedPeer::decode(std::span<const std::uint8_t>) {
    ++writes_;
    if (answers_.empty()) {
        return;
    }
    Answer answer = std::move(answers_.front());
    answers_.pop_front();
    for (auto& piece : answer) {
        reply(std::move(piece.bytes), piece.after);
    }
}

} // namespace Simulators
