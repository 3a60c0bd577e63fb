#pragma once
// The two microtiter plates a solution well can lie on: their column letters
// ("A" first, towards smaller x), their row numbers (from 1, towards larger y)
// and the pitch between neighbouring wells. The label lists are made once and
// shared.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Dotfield/Printing/SolutionWells/SolutionLocation.hpp"

namespace Dotfield {

struct MicrotiterPlate {
    // "A" to "H" (96 wells) or "A" to "P" (384 wells).
    const std::vector<std::string>& columnLabels;
    // "1" to "12" or "1" to "24".
    const std::vector<std::string>& rowLabels;
    // Microns between neighbouring wells.
    double pitch;

    // Whether the row and the column's first letter lie on the plate.
    bool contains(std::uint64_t row, const std::string& column) const;
    // The column's letter index on the plate, or nothing.
    static std::ptrdiff_t letterIndex(const std::string& column);

    static const MicrotiterPlate& wells96();
    static const MicrotiterPlate& wells384();
};

// The one label of a custom location's row and column pop-ups: "Custom".
const std::vector<std::string>& customLocationLabels();

} // namespace Dotfield
