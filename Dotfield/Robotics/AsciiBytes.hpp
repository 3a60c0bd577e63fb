#pragma once
// Command texts of the controllers as the bytes written on the wire.

#include <cstdint>
#include <string_view>
#include <vector>

namespace Dotfield {

// The text's UTF-8 bytes in order (one byte per character for ASCII text).
std::vector<std::uint8_t> asciiBytes(std::string_view text);

} // namespace Dotfield
