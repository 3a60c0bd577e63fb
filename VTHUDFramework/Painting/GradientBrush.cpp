#include "VTHUDFramework/Painting/GradientBrush.hpp"

#include <algorithm>
#include <cmath>

namespace VTHUD {

QLinearGradient verticalGradient(const Gradient& gradient, const QRectF& bounds) {
    QLinearGradient brush(bounds.topLeft(), bounds.bottomLeft());
    QGradientStops stops;
    for (const GradientStop& stop : gradient.stops) {
        double location = stop.location;
        // Qt keeps one colour per location: the second of two stops at one
        // place goes just after it, which keeps the step sharp.
        if (!stops.isEmpty() && location <= stops.last().first) {
            location = std::min(std::nextafter(stops.last().first, 2.0), 1.0);
        }
        stops.append({location, stop.color});
    }
    brush.setStops(stops);
    return brush;
}

} // namespace VTHUD
