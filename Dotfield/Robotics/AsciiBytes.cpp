#include "Dotfield/Robotics/AsciiBytes.hpp"

#include <algorithm>
#include <iterator>

namespace Dotfield {

std::vector<std::uint8_t> asciiBytes(std::string_view text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::vector<std::uint8_t> sanitizedResponseBytes(std::span<const std::uint8_t> response) {
    constexpr std::uint8_t carriageReturn = 0x0D;
    std::vector<std::uint8_t> kept;
    kept.reserve(response.size());
    std::copy_if(response.begin(), response.end(), std::back_inserter(kept),
                 [](std::uint8_t byte) { return byte < 0x80 && byte != carriageReturn; });
    return kept;
}

} // namespace Dotfield
