#pragma once
// Command texts of the controllers as the bytes written on the wire, and the
// checks and filter the ASCII controllers' replies pass before they are parsed.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace Dotfield {

// The text's UTF-8 bytes in order (one byte per character for ASCII text).
std::vector<std::uint8_t> asciiBytes(std::string_view text);

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or
// code points above U+10FFFF, nothing cut off at the end).
bool isWellFormedUTF8(std::span<const std::uint8_t> bytes);

// The reply's bytes below 0x80 that are not a carriage return, in order.
std::vector<std::uint8_t> sanitizedResponseBytes(std::span<const std::uint8_t> response);

} // namespace Dotfield
