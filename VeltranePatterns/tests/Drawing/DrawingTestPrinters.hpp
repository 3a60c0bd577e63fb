#pragma once
// Readable test failure messages for the drawing value types.

#include <ostream>

#include "VeltranePatterns/Source/Drawing/RecordingDrawingContext.hpp"

namespace VeltranePatterns {

inline void PrintTo(DrawingPoint point, std::ostream* os) { *os << describe(point); }
inline void PrintTo(DrawingRect rect, std::ostream* os) { *os << describe(rect); }
inline void PrintTo(DrawingColor color, std::ostream* os) { *os << describe(color); }

namespace RecordedOperation {
// Each recorded operation and path element prints as its describe() line.
template <typename T>
    requires requires(const T& t) { describe(RecordedDrawingOperation{t}); }
void PrintTo(const T& operation, std::ostream* os) {
    *os << describe(RecordedDrawingOperation{operation});
}
} // namespace RecordedOperation

inline void PrintTo(const RecordedDrawingOperation& operation, std::ostream* os) { *os << describe(operation); }

} // namespace VeltranePatterns
