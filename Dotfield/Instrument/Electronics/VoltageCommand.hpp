#pragma once
// The drive voltage on the wire: 'w' and a 12-bit code, high byte first. The
// electronics take 204.8 codes per volt in steps of 0.1 V; 20 V and above give
// the full-scale code 4095.

#include <array>
#include <cstdint>

namespace Dotfield {

inline constexpr std::uint8_t setVoltageCommandByte = 0x77; // 'w'
inline constexpr std::uint16_t maximumVoltageCode = 4095;

// The 12-bit code of a voltage: the volts truncated to tenths, times 204.8,
// truncated, at most 4095. A voltage that is negative, not finite or too large
// to count in tenths is refused with std::out_of_range.
std::uint16_t voltageCode(double volts);

// The 3-byte voltage command: 0x77, code high byte, code low byte.
std::array<std::uint8_t, 3> voltageCommandBytes(double volts);

} // namespace Dotfield
