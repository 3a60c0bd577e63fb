#pragma once
// The four-bit pin groups of the high-speed chips: bits 0-1 drive current,
// bit 2 slow slew, bit 3 Schmitt input.

#include <cstdint>

namespace adapterdriver {

// 8, 12 and 16 mA have codes 1, 2 and 3; anything else is stored as 0 (4 mA).
std::uint8_t driveCurrentCode(std::uint8_t milliamperes);
std::uint8_t driveCurrentFromCode(unsigned code);

struct PinGroup {
    std::uint8_t slowSlew = 0;
    std::uint8_t schmittInput = 0;
    std::uint8_t driveCurrent = 4; // mA
};

std::uint16_t encodePinGroup(const PinGroup& group);
PinGroup decodePinGroup(unsigned nibble);

// Group n of a word holds bits 4n to 4n+3.
inline unsigned pinGroupNibble(std::uint16_t word, unsigned group) {
    return (word >> (group * 4)) & 0xFu;
}

inline std::uint8_t bit(unsigned value, unsigned bitNumber) {
    return static_cast<std::uint8_t>((value >> bitNumber) & 1u);
}

inline unsigned flag(std::uint8_t field, unsigned bitNumber) {
    return field != 0 ? (1u << bitNumber) : 0u;
}

} // namespace adapterdriver
