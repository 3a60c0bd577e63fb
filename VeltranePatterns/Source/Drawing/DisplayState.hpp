#pragma once

#include <cstdint>

namespace VeltranePatterns {

// How a pattern item is shown in the preview.
enum class DisplayState : std::uint8_t { printed = 0, selected = 1, normal = 2 };

} // namespace VeltranePatterns
