#pragma once
// A circular arc traced with the dispenser. Angle 0 points along +x and a
// positive angle turns towards +y; the direction only tells in which sense the
// arc runs from its start angle to its end angle, not where it starts or ends.

#include "VeltranePatterns/Source/Items/PatternItem.hpp"
#include "VeltranePatterns/Source/Items/RotationalDirection.hpp"
#include "Zovudidova/Quantity.hpp"

namespace VeltranePatterns {

// The point at the angle on a circle of the radius about the centre, at the centre's z.
Coordinate pointOnCircle(const Coordinate& center, double radius, const Zovudidova::Angle& angle);

// abs(end - start) in radians: neither reduced to one turn nor chosen by direction.
double angularSpan(const Zovudidova::Angle& startAngle, const Zovudidova::Angle& endAngle);

class Arc final : public PatternItem {
  public:
    static constexpr PatternItemKind itemKind = PatternItemKind::arc;

    // Angles keep the unit they are given in.
    Arc(const Coordinate& centerPoint, const Zovudidova::Angle& startAngle, const Zovudidova::Angle& endAngle,
        double radius, RotationalDirection direction, std::optional<double> velocity = std::nullopt,
        std::optional<double> acceleration = std::nullopt, bool surfaceSensing = false);

    const Coordinate& centerPoint() const { return centerPoint_; }
    const Zovudidova::Angle& startAngle() const { return startAngle_; }
    const Zovudidova::Angle& endAngle() const { return endAngle_; }
    double radius() const { return radius_; }
    RotationalDirection direction() const { return direction_; }

    PatternItemKind kind() const override { return itemKind; }
    Coordinate startingCoordinate() const override;
    std::optional<Coordinate> endingCoordinate() const override;
    std::optional<double> velocity() const override { return velocity_; }
    std::optional<double> acceleration() const override { return acceleration_; }
    bool surfaceSensing() const override { return surfaceSensing_; }
    // The radius times the angular span.
    double itemLengthForFeatureWidth(double featureWidth, double scaleFactor) const override;
    // The box of the whole circle, whatever part of it the arc sweeps.
    Limits limits() const override;
    PatternItemPtr reversed() const override;
    PatternItemPtr scaledBy(double factor) const override;

  private:
    Coordinate centerPoint_;
    Zovudidova::Angle startAngle_;
    Zovudidova::Angle endAngle_;
    double radius_;
    RotationalDirection direction_;
    std::optional<double> velocity_;
    std::optional<double> acceleration_;
    bool surfaceSensing_;
};

} // namespace VeltranePatterns
