#pragma once
// A pause in printing. It has no geometry: it starts high above the origin,
// has no length and no extent, and is not drawn.

#include "VeltranePatterns/Source/Items/PatternItem.hpp"

namespace VeltranePatterns {

class PatternPause final : public PatternItem {
  public:
    static constexpr PatternItemKind itemKind = PatternItemKind::pause;
    static constexpr Coordinate pauseCoordinate{0.0, 0.0, 100000.0};

    explicit PatternPause(double duration);

    // A plain number, without a unit.
    double duration() const { return duration_; }

    PatternItemKind kind() const override { return itemKind; }
    Coordinate startingCoordinate() const override { return pauseCoordinate; }
    std::optional<Coordinate> endingCoordinate() const override { return std::nullopt; }
    std::optional<double> velocity() const override { return std::nullopt; }
    std::optional<double> acceleration() const override { return std::nullopt; }
    bool surfaceSensing() const override { return false; }
    double itemLengthForFeatureWidth(double, double) const override { return 0.0; }
    Limits limits() const override { return {}; }
    // The same object.
    PatternItemPtr reversed() const override;
    // A new pause with the same duration.
    PatternItemPtr scaledBy(double factor) const override;

  private:
    double duration_;
};

} // namespace VeltranePatterns
