#include "Dotfield/Printing/SolutionWells/SolutionWellPosition.hpp"

#include "Dotfield/Printing/SolutionWells/SolutionWellError.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

using VeltranePatterns::Coordinate;

std::optional<Coordinate> deckPosition(const SolutionWell& well, const Coordinate& a1WellPosition,
                                       Robot& robot) {
    const auto onPlateZero = SolutionWell::wellCoordinate(well.location, a1WellPosition);
    if (!onPlateZero) {
        return std::nullopt;
    }
    return *onPlateZero + robot.offsetForA1WellOfPlateNumber(well.plateNumber);
}

Coordinate requireDeckPosition(const SolutionWell& well, const Coordinate& a1WellPosition, Robot& robot) {
    const auto position = deckPosition(well, a1WellPosition, robot);
    if (!position) {
        throw Diagnostics::logAndReturnError(SolutionWellError::wellWithoutPosition(well.name));
    }
    return *position;
}

} // namespace Dotfield
