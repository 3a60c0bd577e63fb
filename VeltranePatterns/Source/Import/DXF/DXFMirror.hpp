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

} // namespace VeltranePatterns
