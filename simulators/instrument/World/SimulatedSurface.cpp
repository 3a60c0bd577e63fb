#include "simulators/instrument/World/SimulatedSurface.hpp"

#include <algorithm>
#include <cmath>

namespace Simulators {

double BumpMap::heightAt(double u, double v) const {
    if (heights.empty() || heights.front().empty() || !(spacing > 0.0) || !std::isfinite(spacing)) {
        return 0.0;
    }
    const std::size_t columns = heights.front().size();
    for (const auto& row : heights) {
        if (row.size() != columns) {
            return 0.0;
        }
    }
    const double i = (u - originU) / spacing;
    const double j = (v - originV) / spacing;
    if (!(i >= 0.0 && j >= 0.0 && i <= double(columns - 1) && j <= double(heights.size() - 1))) {
        return 0.0;
    }
    const auto i0 = static_cast<std::size_t>(std::floor(i));
    const auto j0 = static_cast<std::size_t>(std::floor(j));
    const std::size_t i1 = std::min(i0 + 1, columns - 1);
    const std::size_t j1 = std::min(j0 + 1, heights.size() - 1);
    const double fu = i - double(i0);
    const double fv = j - double(j0);
    const double low = heights[j0][i0] * (1.0 - fu) + heights[j0][i1] * fu;
    const double high = heights[j1][i0] * (1.0 - fu) + heights[j1][i1] * fu;
    return low * (1.0 - fv) + high * fv;
}

SimulatedSurface SimulatedSurface::plane(double height, double slopeX, double slopeY) {
    SimulatedSurface surface;
    surface.height = height;
    surface.slopeX = slopeX;
    surface.slopeY = slopeY;
    return surface;
}

double SimulatedSurface::heightAt(double x, double y) const {
    const double dx = x - centerX;
    const double dy = y - centerY;
    const double c = std::cos(rotation);
    const double s = std::sin(rotation);
    const double u = c * dx + s * dy;
    const double v = -s * dx + c * dy;
    return height + slopeX * u + slopeY * v + bumps.heightAt(u, v);
}

} // namespace Simulators
