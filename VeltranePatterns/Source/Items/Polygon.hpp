#pragma once
// A filled, closed outline: the vertices in order, closing from the last back
// to the first. The printer covers its inside with an inward spiral (see
// calculatePolygonDrawingCoordinates).

#include <vector>

#include "VeltranePatterns/Source/Items/PatternItem.hpp"

namespace VeltranePatterns {

class Polygon final : public PatternItem {
  public:
    static constexpr PatternItemKind itemKind = PatternItemKind::polygon;

    explicit Polygon(std::vector<Coordinate> points, std::optional<double> velocity = std::nullopt,
                     std::optional<double> acceleration = std::nullopt, bool surfaceSensing = false);

    const std::vector<Coordinate>& points() const { return points_; }

    PatternItemKind kind() const override { return itemKind; }
    // The first point; (0, 0, 0) without points.
    Coordinate startingCoordinate() const override;
    // Always absent: a chain of items never continues from a polygon.
    std::optional<Coordinate> endingCoordinate() const override { return std::nullopt; }
    std::optional<double> velocity() const override { return velocity_; }
    std::optional<double> acceleration() const override { return acceleration_; }
    bool surfaceSensing() const override { return surfaceSensing_; }
    // From the first point to the start of the tool path, then along it; 0 without a path.
    double itemLengthForFeatureWidth(double featureWidth, double scaleFactor) const override;
    Limits limits() const override;
    // The same object.
    PatternItemPtr reversed() const override;
    PatternItemPtr scaledBy(double factor) const override;

  private:
    std::vector<Coordinate> points_;
    std::optional<double> velocity_;
    std::optional<double> acceleration_;
    bool surfaceSensing_;
};

} // namespace VeltranePatterns
