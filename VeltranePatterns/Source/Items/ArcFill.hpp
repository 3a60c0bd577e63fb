#pragma once
// A filled ring sector between an inside and an outside radius. The fill starts
// on the outside circle at the start angle and ends on the inside circle at the
// end angle.

#include "VeltranePatterns/Source/Items/Arc.hpp"

namespace VeltranePatterns {

class ArcFill final : public PatternItem {
  public:
    static constexpr PatternItemKind itemKind = PatternItemKind::arcFill;

    ArcFill(double insideRadius, double outsideRadius, const Coordinate& centerPoint,
            const Zovudidova::Angle& startAngle, const Zovudidova::Angle& endAngle,
            RotationalDirection direction, std::optional<double> velocity = std::nullopt,
            std::optional<double> acceleration = std::nullopt, bool surfaceSensing = false);

    double insideRadius() const { return insideRadius_; }
    double outsideRadius() const { return outsideRadius_; }
    const Coordinate& centerPoint() const { return centerPoint_; }
    const Zovudidova::Angle& startAngle() const { return startAngle_; }
    const Zovudidova::Angle& endAngle() const { return endAngle_; }
    RotationalDirection direction() const { return direction_; }

    // The inside radius times the factor, rounded to a whole number, halves away from zero.
    double scaledInsideRadius(double factor) const;

    PatternItemKind kind() const override { return itemKind; }
    Coordinate startingCoordinate() const override;
    std::optional<Coordinate> endingCoordinate() const override;
    std::optional<double> velocity() const override { return velocity_; }
    std::optional<double> acceleration() const override { return acceleration_; }
    bool surfaceSensing() const override { return surfaceSensing_; }
    // The outside radius times the angular span.
    double itemLengthForFeatureWidth(double featureWidth, double scaleFactor) const override;
    // The box of the whole outside circle.
    Limits limits() const override;
    PatternItemPtr reversed() const override;
    PatternItemPtr scaledBy(double factor) const override;

  private:
    double insideRadius_;
    double outsideRadius_;
    Coordinate centerPoint_;
    Zovudidova::Angle startAngle_;
    Zovudidova::Angle endAngle_;
    RotationalDirection direction_;
    std::optional<double> velocity_;
    std::optional<double> acceleration_;
    bool surfaceSensing_;
};

} // namespace VeltranePatterns
