#pragma once
// One disturbance of one reply of a simulated peer: the reply is lost, has a
// byte flipped, arrives cut short or arrives late. Faults are queued on a peer
// and each reply the peer sends takes the next one (`pass` leaves a reply alone,
// so a test can spoil the second reply and not the first).

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace Simulators {

struct ReplyFault {
    enum class Kind { pass, drop, corrupt, cutShort, delay };

    Kind kind = Kind::pass;
    // corrupt: the byte at this index is XORed with the mask (a reply too short
    // to have that byte is left alone); cutShort: the number of bytes kept.
    std::size_t index = 0;
    std::uint8_t mask = 0xFF;
    // delay: how much later than at once the reply is handed to the adapter.
    std::chrono::nanoseconds delay{0};

    static ReplyFault pass() { return {}; }
    static ReplyFault drop() { return {Kind::drop}; }
    static ReplyFault corrupt(std::size_t byteIndex, std::uint8_t xorMask = 0xFF) {
        return {Kind::corrupt, byteIndex, xorMask};
    }
    static ReplyFault cutShort(std::size_t keptBytes) { return {Kind::cutShort, keptBytes}; }
    static ReplyFault delayBy(std::chrono::nanoseconds duration) { return {Kind::delay, 0, 0xFF, duration}; }
};

} // namespace Simulators
