#pragma once
// A theme gradient as a Qt brush.

#include <QLinearGradient>
#include <QRectF>

#include "VTHUDFramework/Theme/VTHUDTheme.hpp"

namespace VTHUD {

// The gradient drawn across `bounds` at 90 degrees: its first colour along
// the top edge, its last along the bottom edge. Two stops at one location
// make a hard step there.
QLinearGradient verticalGradient(const Gradient& gradient, const QRectF& bounds);

} // namespace VTHUD
