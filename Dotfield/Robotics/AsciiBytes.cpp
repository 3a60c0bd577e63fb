#include "Dotfield/Robotics/AsciiBytes.hpp"

namespace Dotfield {

std::vector<std::uint8_t> asciiBytes(std::string_view text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

} // namespace Dotfield
