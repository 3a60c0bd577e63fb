#pragma once
// A straight item between two coordinates.

#include "VeltranePatterns/Source/Items/PatternItem.hpp"

namespace VeltranePatterns {

class Line final : public PatternItem {
  public:
    static constexpr PatternItemKind itemKind = PatternItemKind::line;

    Line(const Coordinate& startingPoint, const Coordinate& endingPoint,
         std::optional<double> velocity = std::nullopt, std::optional<double> acceleration = std::nullopt,
         bool surfaceSensing = false);

    const Coordinate& startingPoint() const { return startingPoint_; }
    const Coordinate& endingPoint() const { return endingPoint_; }

    PatternItemKind kind() const override { return itemKind; }
    Coordinate startingCoordinate() const override { return startingPoint_; }
    std::optional<Coordinate> endingCoordinate() const override { return endingPoint_; }
    std::optional<double> velocity() const override { return velocity_; }
    std::optional<double> acceleration() const override { return acceleration_; }
    bool surfaceSensing() const override { return surfaceSensing_; }
    // The distance in x and y between the two points; z, the feature width and
    // the scale factor do not enter.
    double itemLengthForFeatureWidth(double featureWidth, double scaleFactor) const override;
    Limits limits() const override;
    PatternItemPtr reversed() const override;
    PatternItemPtr scaledBy(double factor) const override;

  private:
    Coordinate startingPoint_;
    Coordinate endingPoint_;
    std::optional<double> velocity_;
    std::optional<double> acceleration_;
    bool surfaceSensing_;
};

} // namespace VeltranePatterns
