#pragma once
// Every item kind of the pattern model, for code that handles all of them.

#include "VeltranePatterns/Source/Items/Arc.hpp"
#include "VeltranePatterns/Source/Items/ArcFill.hpp"
#include "VeltranePatterns/Source/Items/Fill.hpp"
#include "VeltranePatterns/Source/Items/Line.hpp"
#include "VeltranePatterns/Source/Items/PatternItem.hpp"
#include "VeltranePatterns/Source/Items/PatternPause.hpp"
#include "VeltranePatterns/Source/Items/Point.hpp"
#include "VeltranePatterns/Source/Items/Polygon.hpp"
#include "VeltranePatterns/Source/Items/RotationalDirection.hpp"
