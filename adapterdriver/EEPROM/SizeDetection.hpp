#pragma once
// Finding the size of the EEPROM behind a 2232C, 2232H, 4232H or 232H: a
// serial EEPROM ignores the address bits above its size, so a word written at
// 0xC0 shows up at 0 on a 64-word part, at 0x40 on a 128-word part and at
// 0xC0 only on a 256-word part. The probe erases the EEPROM.

#include <cstdint>

#include "adapterdriver/EEPROM/EepromDevice.hpp"

namespace adapterdriver {

enum class SizeProbe {
    wordZeroFirst,  // 2232C, 2232H, 4232H: words 0, 0x40, 0xC0
    upperWordsOnly, // 232H: words 0x40, 0xC0
};

// Sets type to 0x0046, 0x0056 or 0x0066, or 0 when no read matched.
AD_STATUS detectEepromType(EepromDevice& device, SizeProbe probe, std::uint16_t& type);

} // namespace adapterdriver
