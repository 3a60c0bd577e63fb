#pragma once
// A droplet of solution at one location, dispensed for a duration.

#include "VeltranePatterns/Source/Items/PatternItem.hpp"
#include "Zovudidova/Quantity.hpp"

namespace VeltranePatterns {

class Point final : public PatternItem {
  public:
    static constexpr PatternItemKind itemKind = PatternItemKind::point;

    // A point never carries a velocity or an acceleration.
    Point(const Coordinate& location, const Zovudidova::Duration& duration, bool surfaceSensing = false);

    const Coordinate& location() const { return location_; }
    const Zovudidova::Duration& duration() const { return duration_; }

    PatternItemKind kind() const override { return itemKind; }
    Coordinate startingCoordinate() const override { return location_; }
    std::optional<Coordinate> endingCoordinate() const override { return std::nullopt; }
    std::optional<double> velocity() const override { return std::nullopt; }
    std::optional<double> acceleration() const override { return std::nullopt; }
    bool surfaceSensing() const override { return surfaceSensing_; }
    // The feature width itself: a dot is as long as it is wide.
    double itemLengthForFeatureWidth(double featureWidth, double scaleFactor) const override;
    Limits limits() const override;
    // An identical copy.
    PatternItemPtr reversed() const override;
    PatternItemPtr scaledBy(double factor) const override;

  private:
    Coordinate location_;
    Zovudidova::Duration duration_;
    bool surfaceSensing_;
};

} // namespace VeltranePatterns
