#pragma once
// The presentation time of a delivered frame: a whole number of ticks of a
// timescale (ticks per second), as movie files count time.

#include <cstdint>

namespace Dotfield {

struct FrameTime {
    std::int64_t value = 0;
    std::int32_t timescale = 600;

    // The time nearest to the seconds on the timescale.
    static FrameTime withSeconds(double seconds, std::int32_t timescale);
    double seconds() const;

    // Both times on the first one's timescale.
    friend FrameTime operator+(const FrameTime& a, const FrameTime& b);
    friend bool operator==(const FrameTime& a, const FrameTime& b) = default;
};

} // namespace Dotfield
