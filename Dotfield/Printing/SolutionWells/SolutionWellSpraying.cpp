#include "Dotfield/Printing/SolutionWells/SolutionWellSpraying.hpp"

#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWellPosition.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

using VeltranePatterns::Coordinate;
using Zovudidova::TimeUnit;

WellSpray sprayingWith(Electronics& electronics) {
    return [&electronics](const Zovudidova::Duration& duration) {
        performOnQueueSync([&] { electronics.spray(duration); }, electronics);
    };
}

Zovudidova::Duration nonNegativeDuration(const Zovudidova::Duration& duration) {
    return duration.value(TimeUnit::seconds) > 0.0 ? duration : Zovudidova::seconds(0.0);
}

void sprayAtWell(const SolutionWell& sprayed, const SolutionWell& target, bool returnToStartingPoint,
                 Robot& robot, const WellSpray& spray, const Coordinate& a1WellPosition,
                 double travelHeight) {
    const Coordinate start = robot.currentCoordinate();
    robot.moveToPosition(requireDeckPosition(target, a1WellPosition, robot), travelHeight);
    try {
        spray(nonNegativeDuration(sprayed.timeToEmpty));
    } catch (const CommunicationsError& error) {
        throw Diagnostics::logAndReturnError(RoboticsError(error));
    }
    if (returnToStartingPoint) {
        robot.moveToPosition(start, travelHeight);
    }
}

} // namespace Dotfield
