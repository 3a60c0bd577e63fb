#pragma once
// Hatched areas as filled items: a pie-slice ArcFill for each arc edge of a loop
// and convex Polygons for the loop's outline, in which each arc edge leaves a
// notch to its centre that its pie slice fills.

#include <vector>

#include "VeltranePatterns/Source/Import/DXF/DXFImportState.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFRecords.hpp"

namespace VeltranePatterns {

// Files the items of every loop of the hatch, loop by loop: the ArcFills under
// their edges' layers, then the polygons under the hatch's layer.
void fileHatchItems(const DXFHatch& hatch, DXFImportState& state);

// The outline of one loop (edges as read), after mirroring: not closed explicitly.
std::vector<Coordinate> hatchLoopOutline(const std::vector<DXFEntity>& loop);

// The outline points of one mirrored edge: a line's start (the next edge gives
// its end); for an arc the point where it meets the previous edge, then its centre.
std::vector<Coordinate> outlinePointsForEntity(const DXFEntity& mirroredEdge);

} // namespace VeltranePatterns
