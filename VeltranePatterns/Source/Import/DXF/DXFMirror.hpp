#pragma once
// Patterns have their y axis the other way from drawings: every imported entity
// is mirrored about the x axis before it is converted and measured.

#include "VeltranePatterns/Source/Import/DXF/DXFEntity.hpp"

namespace VeltranePatterns {

// Every y negated; x, z and the layer name kept. An arc's angles become the
// negated angles of the other end, so it still runs counter-clockwise from its
// start to its end over the mirror image of the drawn arc; bulges are negated;
// an ellipse keeps its angles.
DXFEntity flipEntityInY(const DXFEntity& entity);

// Every x negated, the same way: the view from below that an extrusion
// direction of (0, 0, -1) gives. An arc from s to e becomes the arc from a half
// turn less e to a half turn less s.
DXFEntity flipEntityInX(const DXFEntity& entity);

} // namespace VeltranePatterns
