#pragma once
// A named positioner coordinate that the operator recorded to return to later.

#include <optional>
#include <string>

#include "Dotfield/Platform/Settings/PropertyListValue.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

struct SavedPosition {
    std::string name;
    VeltranePatterns::Coordinate coordinate;

    // {"name": text, "coordinate": {"x", "y", "z"}}.
    PropertyListValue::Dictionary dictionaryRepresentation() const;

    // Nothing when there is no dictionary, "name" is not text, or "coordinate"
    // is not a dictionary with numbers at "x", "y" and "z". Other keys are ignored.
    static std::optional<SavedPosition> fromDictionary(const PropertyListValue::Dictionary* dictionary);

    friend bool operator==(const SavedPosition&, const SavedPosition&) = default;
};

} // namespace Dotfield
