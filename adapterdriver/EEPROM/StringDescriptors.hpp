#pragma once
// The three USB string descriptors of an EEPROM image (manufacturer, product,
// serial number), their offset and length bytes (bytes 14 to 19) and the PnP
// word behind them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "adapterdriver/EEPROM/EepromImage.hpp"

namespace adapterdriver {

struct EepromStrings {
    std::string manufacturer;
    std::string description;
    std::string serialNumber;
};

// The last byte the string area may reach: byte 126 holds the checksum of a
// 64-word image, and on a large part the strings move 128 bytes up, where
// byte 254 holds it.
constexpr std::size_t stringAreaLimit = 126;

// Writes the descriptors back to back from stringStart, an empty descriptor,
// and the PnP word (1 when pnp is 0, else 0); fills bytes 14 to 19 with the
// offsets (bit 7 set) and lengths. Returns the byte behind the PnP word, or
// nothing when the strings do not fit before stringAreaLimit (the image is
// then left unchanged).
std::optional<std::size_t> writeStringArea(EepromImage& image, std::size_t stringStart,
                                           const EepromStrings& strings, std::uint16_t pnp);

// Where the descriptors of an image lie: each offset byte's low 7 bits, plus
// 128 when the strings were moved up.
struct StringPlacement {
    bool moved = false;
    std::size_t imageBytes = 128; // descriptors are read only below this
};

std::size_t stringOffset(const EepromImage& image, std::size_t offsetByte, const StringPlacement& placement);

// The string whose offset byte is 14 (manufacturer), 16 (product) or 18 (serial number).
std::string readString(const EepromImage& image, std::size_t offsetByte, const StringPlacement& placement);
EepromStrings readStrings(const EepromImage& image, const StringPlacement& placement);

// The byte behind the serial-number descriptor.
std::size_t serialNumberEnd(const EepromImage& image, const StringPlacement& placement);

// PnP as decoded: 1 exactly when the word behind the empty descriptor is 0.
std::uint16_t readPnP(const EepromImage& image, const StringPlacement& placement);

// Copies text into a caller's buffer of bufferSize bytes, cut to fit and
// terminated; a null buffer is left alone.
void copyToBuffer(const std::string& text, char* buffer, std::size_t bufferSize);

} // namespace adapterdriver
