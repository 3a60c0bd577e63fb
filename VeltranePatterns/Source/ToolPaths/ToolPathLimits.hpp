#pragma once
// Bounds on the work of one tool path, so that hostile or degenerate input
// (a tiny spacing over a huge area, an outline that does not shrink) gives an
// empty path promptly instead of exhausting memory or time.

#include <cstddef>

namespace VeltranePatterns {

// Points of one fill or polygon tool path; a path that would need more is empty.
inline constexpr std::size_t maximumToolPathPoints = 10'000'000;
// Passes of one polygon tool path, over all its rings.
inline constexpr std::size_t maximumPolygonPasses = 1'000'000;

} // namespace VeltranePatterns
