#include "Dotfield/Application/ManualControls/SafePickupHeight.hpp"

#include <algorithm>
#include <cmath>

#include "Dotfield/Robotics/Robot.hpp"

namespace Dotfield {

using VeltranePatterns::Coordinate;

std::optional<Coordinate> safePickupHeightTarget(const Coordinate& current, double maximumZ,
                                                 std::optional<double> safePickupHeight) {
    if (!safePickupHeight || !std::isfinite(*safePickupHeight)) {
        return std::nullopt;
    }
    const double ceiling = std::min(maximumZ - Robot::travelHeightCapBelowMaximum, *safePickupHeight);
    return current.coordinateWithZ(current.z <= ceiling ? ceiling : current.z);
}

std::optional<Coordinate> safePickupHeightTarget(const Robot& robot) {
    return safePickupHeightTarget(robot.currentCoordinate(), robot.maximumMotorPosition().z,
                                  robot.safePickupHeight());
}

} // namespace Dotfield
