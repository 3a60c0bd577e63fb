#pragma once
// A named place on the deck from which the dispenser loads a solution, into
// which it empties itself, or in which it is rinsed. Wells are told apart by
// name; other wells refer to their rinse and waste wells by name.

#include <cstdint>
#include <optional>
#include <string>

#include "Dotfield/Platform/Settings/PropertyListValue.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionLocation.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionReloadQuantity.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

struct SolutionWell {
    std::string name;
    SolutionLocation location;
    std::uint64_t plateNumber = 0;
    SolutionReloadQuantity reloadQuantity;
    // Duration of one load at this well.
    Zovudidova::Duration reloadTime;
    std::uint64_t rinseCycles = 0;
    std::optional<std::string> rinseWell;
    std::optional<std::string> wasteWell;
    // How long the dispenser sprays to empty itself.
    Zovudidova::Duration timeToEmpty;

    // The keys "name", "location", "plateNumber", "reloadQuantity",
    // "rinseCycles", "reloadTimeInSeconds", "secondsToEmpty", and "rinseWell" and
    // "wasteWell" only when set.
    PropertyListValue::Dictionary dictionaryRepresentation() const;

    // Nothing when there is no dictionary or a required entry is missing or of
    // the wrong kind; a rinse or waste well that is not text is left unset.
    static std::optional<SolutionWell> fromDictionary(const PropertyListValue::Dictionary* dictionary);

    // The well's position on plate 0. A custom location is its coordinate; a
    // plate well lies (column index × pitch) towards smaller x and (row − 1) ×
    // pitch towards larger y from the A1 well, with a pitch of 9000 µm (96
    // wells) or 4500 µm (384 wells). Nothing for a plate well that is not on
    // its plate: row 0 or beyond the plate's last row, or a column whose first
    // character is not one of the plate's letters (lower case included).
    static std::optional<VeltranePatterns::Coordinate>
    wellCoordinate(const SolutionLocation& location, const VeltranePatterns::Coordinate& a1WellPosition);

    friend bool operator==(const SolutionWell&, const SolutionWell&) = default;
};

} // namespace Dotfield
