#pragma once
// What the device descriptor says about an adapter: its chip type, how many
// interfaces it has, which features it supports, and its location id.

#include <cstdint>

namespace adapterdriver {

// AD_DEVICE_ chip type from bcdDevice (compared as a whole value); chips of
// revision 0x0200 without a serial-number string are BM, with one AM.
std::uint32_t chipTypeFromDescriptor(std::uint16_t bcdDevice, std::uint8_t serialNumberIndex);

// Chips whose interfaces are named A, B (, C, D): bcdDevice high byte 0x05, 0x07, 0x08.
bool isMultiInterfaceChip(std::uint16_t bcdDevice);

// BM-or-later chips support the latency timer, bit modes and the fractional
// divisor codes with the extra bit; AM and unknown chips do not.
bool isBMOrLater(std::uint16_t bcdDevice, std::uint8_t serialNumberIndex);

// Chips with the 12 MHz baud clock (bcdDevice high byte 0x07, 0x08, 0x09).
bool hasTwelveMegahertzClock(std::uint16_t bcdDevice);

// Chips whose baud-rate request carries the port index in its index's low byte.
bool baudIndexCarriesPortIndex(std::uint16_t bcdDevice);

// Letter naming interface n: "ABCDE".
char interfaceLetter(int interfaceNumber);

// (bus << 8) | address; when the device has several interfaces, that value
// << 4 | (interface number + 1).
std::uint32_t locationId(std::uint8_t busNumber, std::uint8_t deviceAddress, bool severalInterfaces,
                         int interfaceNumber);

} // namespace adapterdriver
