#pragma once
// The EEPROM checksum: start with 0xAAAA; for every word covered, XOR it in
// and rotate the 16-bit value left by one bit.

#include <cstddef>
#include <cstdint>

#include "adapterdriver/EEPROM/EepromImage.hpp"

namespace adapterdriver {

// Over words 0 .. checksumWord-1.
std::uint16_t eepromChecksum(const EepromImage& image, std::size_t checksumWord);

// The X series covers words 0-17 and 64-126 (its checksum lives in word 127).
std::uint16_t xSeriesChecksum(const EepromImage& image);

} // namespace adapterdriver
