#pragma once
// Where a solution well is on the deck: its position on plate 0 plus the
// robot's offset of the well's plate (plates are stacked along +y, one plate
// pitch of the model apart). The offset is added for every kind of location,
// so a custom well of plate n lies n plate pitches from its coordinate.

#include <optional>

#include "Dotfield/Printing/SolutionWells/SolutionWell.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

class Robot;

// Nothing for a plate well that is not on its plate.
std::optional<VeltranePatterns::Coordinate>
deckPosition(const SolutionWell& well, const VeltranePatterns::Coordinate& a1WellPosition, Robot& robot);

// The same; a well without a position throws SolutionWellError naming it.
VeltranePatterns::Coordinate requireDeckPosition(const SolutionWell& well,
                                                 const VeltranePatterns::Coordinate& a1WellPosition,
                                                 Robot& robot);

} // namespace Dotfield
