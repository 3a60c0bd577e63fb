#include "Dotfield/Printing/Engine/PrintTravel.hpp"

#include "Dotfield/Robotics/Robot.hpp"

namespace Dotfield {

void travelToItem(Robot& robot, const VeltranePatterns::Coordinate& target, bool continuous,
                  bool manualSpeedsForLongTravel) {
    const VeltranePatterns::Coordinate current = robot.currentCoordinate();
    if (continuous && target.matchesXYWithinTolerance(current, continuousTravelTolerance)) {
        return;
    }
    const double travelHeight = current.z + robot.patternPickupDistance();
    const bool manualSpeeds =
        manualSpeedsForLongTravel && VeltranePatterns::distance(current, target) > longTravelDistance;
    if (manualSpeeds) {
        robot.useManualPositioningMovementParameters();
    }
    robot.moveToPosition(target, travelHeight);
    if (manualSpeeds) {
        robot.usePatternPrintingMovementParameters();
    }
}

} // namespace Dotfield
