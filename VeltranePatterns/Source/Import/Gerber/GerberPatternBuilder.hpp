#pragma once
// Collects what a Gerber parser reports into the pieces of a pattern: the
// length unit the file declares last, one item per drawing command, mirrored
// about the x axis, and the box those items cover.

#include <optional>
#include <utility>
#include <vector>

#include "VeltranePatterns/Source/Geometry/Limits.hpp"
#include "VeltranePatterns/Source/Import/Gerber/GerberDrawingCommand.hpp"
#include "VeltranePatterns/Source/Items/PatternItem.hpp"
#include "Zovudidova/Units.hpp"

namespace VeltranePatterns {

class GerberPatternBuilder {
public:
    // A unit declaration; the last one wins. Numbers are never converted.
    void lengthUnitChanged(Zovudidova::DistanceUnit unit) { lengthUnit_ = unit; }
    // One drawing command, turned into its items appended to the items: one
    // for a line, an arc or a standard flash; one per primitive part of a macro
    // flash and one per convex part of a region.
    void addDrawingCommand(const GerberDrawingCommand& command);

    // Millimetres until the file declares a unit.
    Zovudidova::DistanceUnit lengthUnit() const { return lengthUnit_; }
    // The items in the order of the commands.
    const std::vector<PatternItemPtr>& items() const { return items_; }
    // Hands the items over, leaving the builder without any.
    std::vector<PatternItemPtr> takeItems() { return std::exchange(items_, {}); }
    // The box covering the whole extent of every item (a flashed pad's shape,
    // not just its centre); six zeros when there is no item.
    Limits limits() const { return limits_.value_or(Limits{}); }

private:
    Zovudidova::DistanceUnit lengthUnit_ = Zovudidova::DistanceUnit::millimeters;
    std::vector<PatternItemPtr> items_;
    std::optional<Limits> limits_;
};

// The items a mirrored command becomes: a line for a line and an arc for an
// arc (their widths are not printed); for a flash, a ring fill for a circle, a
// rectangular fill for a rectangle or an obround, a point for a polygon, and
// for a macro a disc fill per circle and convex polygons per outline; convex
// polygons for a region. Holes other than a circle's are not printed.
std::vector<PatternItemPtr> patternItemsFromGerberCommand(const GerberDrawingCommand& command);

} // namespace VeltranePatterns
