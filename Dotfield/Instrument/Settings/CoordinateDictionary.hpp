#pragma once
// The dictionary form of a coordinate in the settings: the entries "x", "y"
// and "z", each a real. Saved positions and custom solution-well locations
// keep their coordinates in this form too.

#include <optional>

#include "Dotfield/Platform/Settings/PropertyListValue.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

PropertyListValue::Dictionary dictionaryFromCoordinate(const VeltranePatterns::Coordinate& coordinate);

// Nothing when there is no dictionary, or when any of "x", "y", "z" is missing
// or not a number; other entries are ignored.
std::optional<VeltranePatterns::Coordinate>
coordinateFromDictionary(const PropertyListValue::Dictionary* dictionary);
std::optional<VeltranePatterns::Coordinate> coordinateFromDictionary(const PropertyListValue* value);

} // namespace Dotfield
