#pragma once
// The baud-rate divisor of the adapters: a 14-bit integer divisor of the 3 MHz
// (or, on high-speed chips, 12 MHz) clock with a sub-integer code in bits 14-15
// of the value and, on BM-or-later chips, an extra bit in the request index.

#include <cstdint>
#include <optional>

namespace adapterdriver {

struct BaudChip {
    bool bmOrLater = true;
    bool twelveMegahertzClock = false;  // 12 MHz search for rates of 1200 and more
    bool indexCarriesPortIndex = false; // index = (extra bits << 8) | port index
    std::uint8_t portIndex = 0;
};

// Value and index of the baud-rate request (request 3).
struct BaudDivisor {
    std::uint16_t value = 0;
    std::uint16_t index = 0;
    bool operator==(const BaudDivisor&) const = default;
};

// The divisor for the rate, or nothing when the chip cannot come within 3 % of it.
std::optional<BaudDivisor> baudDivisorFor(std::uint32_t rate, const BaudChip& chip);

} // namespace adapterdriver
