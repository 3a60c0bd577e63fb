#pragma once
// A rectangular area covered by back-and-forth passes: a horizontal fill is
// swept along x in passes stacked in y, a vertical one along y stacked in x.
// Width and height may be negative: the rectangle then extends from the
// starting corner towards -x or -y.

#include "VeltranePatterns/Source/Items/PatternItem.hpp"

namespace VeltranePatterns {

struct FillDimensions {
    double width = 0.0;
    double height = 0.0;
    // Carried along and scaled; no other operation uses it.
    double depth = 0.0;

    friend bool operator==(const FillDimensions&, const FillDimensions&) = default;
};

class Fill final : public PatternItem {
  public:
    static constexpr PatternItemKind itemKind = PatternItemKind::fill;

    enum class FillType { horizontal, vertical };

    Fill(const Coordinate& startingCoordinate, const FillDimensions& dimensions, FillType fillType,
         std::optional<double> velocity = std::nullopt, std::optional<double> acceleration = std::nullopt,
         bool surfaceSensing = false);

    const FillDimensions& dimensions() const { return dimensions_; }
    FillType fillType() const { return fillType_; }
    // The corner opposite the starting one: (x + width, y + height, z).
    Coordinate farCorner() const;

    PatternItemKind kind() const override { return itemKind; }
    Coordinate startingCoordinate() const override { return startingCoordinate_; }
    // The far corner, for both fill types.
    std::optional<Coordinate> endingCoordinate() const override { return farCorner(); }
    std::optional<double> velocity() const override { return velocity_; }
    std::optional<double> acceleration() const override { return acceleration_; }
    bool surfaceSensing() const override { return surfaceSensing_; }
    // Measured in 3-D along the tool path from the starting corner; 0 when the
    // path is undefined (see calculateFillDrawingCoordinates).
    double itemLengthForFeatureWidth(double featureWidth, double scaleFactor) const override;
    // The rectangle at the starting corner's z; the depth does not enter.
    Limits limits() const override;
    // Starts at the far corner with negated width and height.
    PatternItemPtr reversed() const override;
    PatternItemPtr scaledBy(double factor) const override;

  private:
    Coordinate startingCoordinate_;
    FillDimensions dimensions_;
    FillType fillType_;
    std::optional<double> velocity_;
    std::optional<double> acceleration_;
    bool surfaceSensing_;
};

} // namespace VeltranePatterns
