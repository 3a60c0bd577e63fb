#include "VeltranePatterns/Source/Items/Fill.hpp"

#include "VeltranePatterns/Source/ToolPaths/FillToolPath.hpp"
#include "VeltranePatterns/Source/ToolPaths/ToolPathLength.hpp"

namespace VeltranePatterns {

Fill::Fill(const Coordinate& startingCoordinate, const FillDimensions& dimensions, FillType fillType,
           std::optional<double> velocity, std::optional<double> acceleration, bool surfaceSensing)
    : startingCoordinate_(startingCoordinate), dimensions_(dimensions), fillType_(fillType),
      velocity_(velocity), acceleration_(acceleration), surfaceSensing_(surfaceSensing) {}

Coordinate Fill::farCorner() const {
    return {startingCoordinate_.x + dimensions_.width, startingCoordinate_.y + dimensions_.height,
            startingCoordinate_.z};
}

double Fill::itemLengthForFeatureWidth(double featureWidth, double scaleFactor) const {
    return toolPathLength(startingCoordinate_,
                          calculateFillDrawingCoordinates(*this, featureWidth, scaleFactor));
}

Limits Fill::limits() const {
    const Coordinate& s = startingCoordinate_;
    const Coordinate e = farCorner();
    return {
        s.x < e.x ? s.x : e.x, s.x < e.x ? e.x : s.x, s.y < e.y ? s.y : e.y, s.y < e.y ? e.y : s.y, s.z, s.z};
}

PatternItemPtr Fill::reversed() const {
    return std::make_shared<const Fill>(
        farCorner(), FillDimensions{-dimensions_.width, -dimensions_.height, dimensions_.depth}, fillType_,
        velocity_, acceleration_, surfaceSensing_);
}

PatternItemPtr Fill::scaledBy(double factor) const {
    return std::make_shared<const Fill>(
        startingCoordinate_ * factor,
        FillDimensions{dimensions_.width * factor, dimensions_.height * factor, dimensions_.depth * factor},
        fillType_, velocity_, acceleration_, surfaceSensing_);
}

} // namespace VeltranePatterns
