#include "Dotfield/Robotics/SurfaceTopographyMap.hpp"

#include <cmath>
#include <cstdint>
#include <limits>
#include <mutex>

namespace Dotfield {

namespace {

// The value truncated toward zero, when it is a whole number a 64-bit integer holds.
std::optional<std::int64_t> truncatedToInteger(double value) {
    const double truncated = std::trunc(value);
    if (!(truncated >= -0x1p63 && truncated < 0x1p63)) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(truncated);
}

// The two grid indices around an offset: the quotient of the truncated offset
// by the truncated spacing, and the next index when the division leaves a
// remainder. Nothing when a value is no whole number or the spacing is 0.
struct IndexPair {
    std::int64_t lower;
    std::int64_t upper;
};

std::optional<IndexPair> indicesAround(double offset, double spacing) {
    const auto step = truncatedToInteger(spacing);
    const auto distance = truncatedToInteger(offset);
    if (!step || !distance || *step == 0 ||
        (*step == -1 && *distance == std::numeric_limits<std::int64_t>::min())) {
        return std::nullopt;
    }
    const std::int64_t lower = *distance / *step;
    const std::int64_t upper = *distance % *step == 0 ? lower : lower + 1;
    return IndexPair{lower, upper};
}

} // namespace

SurfaceTopographyMap::SurfaceTopographyMap() : grid_(1) {}

SurfaceTopographyMap::SurfaceTopographyMap(const std::filesystem::path& file, std::size_t maximumPoints)
    : grid_(1) {
    readFile(file, maximumPoints);
}

void SurfaceTopographyMap::addPoint(const Coordinate& point) {
    std::lock_guard lock(mutex_);
    addPointUnlocked(point);
}

void SurfaceTopographyMap::addPointUnlocked(const Coordinate& point) {
    // A row is known by the Y of its first point; the first point of all
    // goes into the empty first row.
    if (grid_.front().empty()) {
        grid_.front().push_back(point);
        rowsByY_.findOrAdd(point.y, 0);
    } else if (const auto row = rowsByY_.findOrAdd(point.y, grid_.size())) {
        grid_[*row].push_back(point);
    } else {
        grid_.push_back(Row{point});
    }
    const auto extend = [](std::optional<Bounds>& bounds, double value) {
        if (!bounds) {
            bounds = Bounds{value, value};
            return;
        }
        if (value < bounds->minimum) {
            bounds->minimum = value;
        }
        if (value > bounds->maximum) {
            bounds->maximum = value;
        }
    };
    extend(x_, point.x);
    extend(y_, point.y);
    extend(z_, point.z);
}

std::optional<std::size_t> SurfaceTopographyMap::rowIndex(double y) const {
    std::lock_guard lock(mutex_);
    return rowIndexUnlocked(y);
}

std::optional<std::size_t> SurfaceTopographyMap::rowIndexUnlocked(double y) const {
    if (grid_.front().empty()) {
        return 0;
    }
    return rowsByY_.find(y);
}

std::optional<double> SurfaceTopographyMap::height(double x, double y) const {
    std::lock_guard lock(mutex_);
    if (!x_ || !y_) {
        return std::nullopt;
    }
    // Written as "not inside" so that NaN, in the query or in a bound, answers nothing.
    if (!(y >= y_->minimum && y <= y_->maximum && x >= x_->minimum && x <= x_->maximum)) {
        return std::nullopt;
    }
    const Row& firstRow = grid_.front();
    const Coordinate& g0 = firstRow.front();
    const bool hasSecondRow = grid_.size() >= 2 && !grid_[1].empty();
    const bool hasSecondColumn = firstRow.size() >= 2;

    IndexPair rows{0, 0};
    if (hasSecondRow) {
        const auto pair = indicesAround(y - g0.y, grid_[1].front().y - g0.y);
        if (!pair) {
            return std::nullopt;
        }
        rows = *pair;
    }
    IndexPair columns{0, 0};
    if (hasSecondColumn) {
        const auto pair = indicesAround(x - g0.x, firstRow[1].x - g0.x);
        if (!pair) {
            return std::nullopt;
        }
        columns = *pair;
    }

    // Every corner must exist: a ragged or short grid has no cell here.
    const auto point = [this](std::int64_t row, std::int64_t column) -> const Coordinate* {
        if (row < 0 || column < 0 || static_cast<std::uint64_t>(row) >= grid_.size()) {
            return nullptr;
        }
        const Row& points = grid_[static_cast<std::size_t>(row)];
        if (static_cast<std::uint64_t>(column) >= points.size()) {
            return nullptr;
        }
        return &points[static_cast<std::size_t>(column)];
    };
    const Coordinate* a = point(rows.lower, columns.lower);
    const Coordinate* b = point(rows.lower, columns.upper);
    const Coordinate* c = point(rows.upper, columns.lower);
    const Coordinate* d = point(rows.upper, columns.upper);
    if (a == nullptr || b == nullptr || c == nullptr || d == nullptr) {
        return std::nullopt;
    }

    // Each weight is the share of the lower index.
    const double ty = hasSecondRow ? (c->y - y) / (grid_[1].front().y - g0.y) : 0.0;
    const double tx = hasSecondColumn ? (d->x - x) / (firstRow[1].x - g0.x) : 0.0;
    const double z = tx * (ty * a->z + (1.0 - ty) * c->z) + (1.0 - tx) * (ty * b->z + (1.0 - ty) * d->z);
    if (!std::isfinite(z)) {
        return std::nullopt;
    }
    return z;
}

std::optional<double> SurfaceTopographyMap::xGridSpacing() const {
    std::lock_guard lock(mutex_);
    const Row& firstRow = grid_.front();
    if (firstRow.size() < 2) {
        return std::nullopt;
    }
    return firstRow[1].x - firstRow[0].x;
}

std::optional<double> SurfaceTopographyMap::yGridSpacing() const {
    std::lock_guard lock(mutex_);
    if (grid_.size() < 2 || grid_[0].empty() || grid_[1].empty()) {
        return std::nullopt;
    }
    return grid_[1].front().y - grid_[0].front().y;
}

std::vector<SurfaceTopographyMap::Row> SurfaceTopographyMap::grid() const {
    std::lock_guard lock(mutex_);
    return grid_;
}

std::size_t SurfaceTopographyMap::rowCount() const {
    std::lock_guard lock(mutex_);
    return grid_.size();
}

SurfaceTopographyMap::Row SurfaceTopographyMap::row(std::size_t index) const {
    std::lock_guard lock(mutex_);
    return index < grid_.size() ? grid_[index] : Row{};
}

bool SurfaceTopographyMap::isEmpty() const {
    std::lock_guard lock(mutex_);
    return grid_.front().empty();
}

std::optional<double> SurfaceTopographyMap::bound(const std::optional<Bounds>& axis,
                                                  double Bounds::*end) const {
    std::lock_guard lock(mutex_);
    if (!axis) {
        return std::nullopt;
    }
    return (*axis).*end;
}

std::optional<double> SurfaceTopographyMap::minimumX() const {
    return bound(x_, &Bounds::minimum);
}
std::optional<double> SurfaceTopographyMap::maximumX() const {
    return bound(x_, &Bounds::maximum);
}
std::optional<double> SurfaceTopographyMap::minimumY() const {
    return bound(y_, &Bounds::minimum);
}
std::optional<double> SurfaceTopographyMap::maximumY() const {
    return bound(y_, &Bounds::maximum);
}
std::optional<double> SurfaceTopographyMap::minimumZ() const {
    return bound(z_, &Bounds::minimum);
}
std::optional<double> SurfaceTopographyMap::maximumZ() const {
    return bound(z_, &Bounds::maximum);
}

} // namespace Dotfield
