#pragma once
// The line settings of one adapter interface as the far end of the cable sees
// them: a peer understands the host only when the adapter runs at the peer's
// own speed, word format and parity.

#include <cstdint>

namespace Simulators {

enum class Parity { none, odd, even, mark, space };

struct SerialLineSettings {
    std::uint32_t baudRate = 9600;
    std::uint8_t dataBits = 8;
    std::uint8_t stopBits = 1;
    Parity parity = Parity::none;

    bool operator==(const SerialLineSettings&) const = default;
};

// True when a receiver set up for `expected` reads what a sender set up as
// `actual` transmits: same word format and parity, and a speed within the 3 %
// that asynchronous serial receivers tolerate (adapters reach most rates only
// approximately).
bool lineSettingsMatch(const SerialLineSettings& expected, const SerialLineSettings& actual);

} // namespace Simulators
