#pragma once
// The redesigned electronics report every impedance as a 6-byte record: two
// signed 24-bit components a and b, most significant byte first. The magnitude
// is sqrt(a^2 + b^2) / 1000, the phase atan(b / a) (0 when a is 0). The status
// reading ('P') is five such records, one per status-check point in order.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "Dotfield/Instrument/Electronics/Impedance.hpp"

namespace Dotfield {

inline constexpr std::size_t impedanceRecordSize = 6;
inline constexpr std::size_t impedanceStatusPointCount = 5;
inline constexpr std::size_t impedanceStatusReplySizePV = impedanceRecordSize * impedanceStatusPointCount;

// Decodes one record; anything but 6 bytes is CommunicationsError.wrongByteCount.
Impedance decodeImpedanceRecord(std::span<const std::uint8_t> record);

// The five impedances of a 30-byte status reply, in point order; anything but
// 30 bytes is CommunicationsError.wrongByteCount.
std::array<Impedance, impedanceStatusPointCount> decodeImpedanceReplyPV(std::span<const std::uint8_t> reply);

} // namespace Dotfield
