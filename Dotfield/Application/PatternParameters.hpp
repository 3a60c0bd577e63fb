#pragma once
// What a new pattern document takes over from the calibration windows when it
// is made. A window that does not exist gives its default: no topography
// map, cant (0, 0), 0 degrees, no solution wells, no UV curing.

#include <memory>
#include <optional>
#include <vector>

#include "Dotfield/Printing/Modes/UVCuring.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWell.hpp"
#include "Dotfield/Robotics/SurfaceCant.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

class SurfaceTopographyMap;

struct PatternParameters {
    std::shared_ptr<const SurfaceTopographyMap> topographyMap;
    SurfaceCant surfaceCant;
    Zovudidova::Angle rotation = Zovudidova::degrees(0.0);
    std::vector<SolutionWell> solutionWells;
    std::optional<UVCuringPatternMode> uvCuringMode;
};

} // namespace Dotfield
