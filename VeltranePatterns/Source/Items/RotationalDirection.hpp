#pragma once

namespace VeltranePatterns {

// The sense in which an arc or arc fill runs from its start angle to its end angle.
enum class RotationalDirection { clockwise, counterClockwise };

constexpr RotationalDirection opposite(RotationalDirection direction) {
    return direction == RotationalDirection::clockwise ? RotationalDirection::counterClockwise
                                                       : RotationalDirection::clockwise;
}

} // namespace VeltranePatterns
