#pragma once
// The one interface through which the printing engine, the optimiser, the
// drawing and the file writer handle every element of a pattern. Items never
// change after construction: reversed() and scaledBy() build new items (or
// hand back the same one where nothing would change). Items are held as
// std::shared_ptr<const T>; make them with std::make_shared.

#include <memory>
#include <optional>
#include <string_view>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"
#include "VeltranePatterns/Source/Geometry/Limits.hpp"

namespace VeltranePatterns {

// The concrete kind of an item, so that drawing, printing and writing code can
// dispatch with one switch.
enum class PatternItemKind { line, point, pause, arc, arcFill, fill, polygon };

// "Line", "Point", "PatternPause", "Arc", "ArcFill", "Fill", "Polygon".
std::string_view patternItemKindName(PatternItemKind kind);

class PatternItem;
using PatternItemPtr = std::shared_ptr<const PatternItem>;

class PatternItem : public std::enable_shared_from_this<PatternItem> {
  public:
    virtual ~PatternItem() = default;

    virtual PatternItemKind kind() const = 0;

    // Where work on the item begins.
    virtual Coordinate startingCoordinate() const = 0;
    // Where it ends; absent for items that have no travel (points, polygons, pauses).
    virtual std::optional<Coordinate> endingCoordinate() const = 0;
    virtual std::optional<double> velocity() const = 0;
    virtual std::optional<double> acceleration() const = 0;
    virtual bool surfaceSensing() const = 0;
    // Length of the item's tool path for the given feature width and scale factor.
    virtual double itemLengthForFeatureWidth(double featureWidth, double scaleFactor) const = 0;
    virtual Limits limits() const = 0;
    // The same item traversed the other way; an item of the same kind.
    virtual PatternItemPtr reversed() const = 0;
    // Every length and coordinate component (z included) multiplied by the
    // factor; angles, directions, durations, velocity and acceleration kept.
    virtual PatternItemPtr scaledBy(double factor) const = 0;

    // True when this item ends within 0.01 on every axis of where the other
    // starts; false for an item without an ending coordinate or on NaN.
    bool connectsWith(const PatternItem& other) const;

  protected:
    PatternItem() = default;
    PatternItem(const PatternItem&) = default;
    PatternItem& operator=(const PatternItem&) = default;

    // This object as a shared pointer when it is owned by one; callers fall back
    // to a copy for an item that lives outside a shared pointer.
    PatternItemPtr sharedSelf() const { return weak_from_this().lock(); }
};

// Downcast for code that has switched on kind(); nullptr when the kind differs.
template <typename T> std::shared_ptr<const T> patternItemAs(const PatternItemPtr& item) {
    if (item && item->kind() == T::itemKind) {
        return std::static_pointer_cast<const T>(item);
    }
    return nullptr;
}

} // namespace VeltranePatterns
