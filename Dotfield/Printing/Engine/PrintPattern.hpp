#pragma once
// The printing engine: turns a pattern's solution layers and items into robot
// moves inside dispensing, spraying or UV-curing modes.
//
// For each enabled layer, in order, it loads the layer's solution from its
// well, then visits the layer's items in order: it corrects each item's
// starting point for scale, rotation, origin and surface height, travels
// there, finds the surface when asked, and lets the item print itself. It
// reloads the dispenser when the solution drawn from the well is used up,
// cures with UV light where asked, reports progress and asks before every
// layer and every item whether to stop. The layer and item it was last asked
// about are where a paused print resumes: called again with them as
// initialLayer and initialPatternItem, it starts with the item not yet printed.
//
// The anchor of the pattern is patternStartingPoint minus origin × scaleFactor
// (the origin is scaled, not rotated); surface finding moves it up or down by
// the height found, for this and every later item. The surface cant's slopes
// count from patternStartingPoint, where the print's height was found, not
// from the anchor.
//
// Runs on the robot queue and blocks it until the print has ended, stopped or
// failed. The status poll is suspended once for the whole print and resumed
// on every way out, after which the manual positioning speeds are restored;
// the first error not handled is thrown after that.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "Dotfield/Printing/Modes/UVCuring.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWell.hpp"
#include "Dotfield/Robotics/SurfaceCant.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"
#include "Zovudidova/Quantity.hpp"

namespace VeltranePatterns {
class Pattern;
}

namespace Dotfield {

class Electronics;
class PrintingElectronics;
class Robot;
class SurfaceTopographyMap;

// The well each solution layer is loaded from, by solution name.
using SolutionMappingTable = std::map<std::string, SolutionWell>;
// Loads the well's solution into the dispenser: reloading false when a layer
// starts, true for a reload within a layer. Its errors end the print.
using SolutionChangedOperation = std::function<void(const SolutionWell& well, bool reloading)>;
// Records the layer and item about to be printed with the percentage done and
// answers whether to stop (pause or cancel). Called on the robot queue; must
// return at once.
using ShouldCancelOperation = std::function<bool(int layer, int item, double percentComplete)>;

// Everything one print is made with, besides the electronics. Every member
// but the pattern and the robot has a default.
struct PrintPatternArguments {
    const VeltranePatterns::Pattern& pattern;
    // Where the pattern's origin is placed (microns).
    VeltranePatterns::Coordinate patternStartingPoint{};
    // Where the print starts, both counted from 0.
    int initialLayer = 0;
    int initialPatternItem = 0;
    Robot& robot;
    SolutionMappingTable solutionMappingTable{};
    std::set<std::string> disabledLayers{};
    SurfaceCant surfaceCant{};
    // Pattern units.
    VeltranePatterns::Coordinate origin{};
    double scaleFactor = 1.0;
    Zovudidova::Angle rotation = Zovudidova::radians(0.0);
    double featureWidth = 0.0;
    bool useSprayingInsteadOfDispensing = false;
    std::shared_ptr<SurfaceTopographyMap> topographyMap{};
    std::optional<UVCuringPatternMode> uvCuringMode{};
    std::optional<Zovudidova::Duration> overriddenDropletDuration{};
    SolutionChangedOperation solutionChangedOperation{};
    bool findSurfaceAtStartOfEachPatternItem = false;
    std::function<void()> recalibrationOperation{};
    ShouldCancelOperation shouldCancelOperation{};
};

// Prints the pattern. Returns normally when it has printed or was stopped;
// throws the first error it does not handle. Refuses, before anything is
// suspended or moved: an initialLayer outside 0 to the layer count or an
// initialPatternItem outside 0 to its layer's item count (std::out_of_range),
// and UV curing with a relay whose link is not open
// (RelayError.electronicsDisconnected).
void printPattern(const PrintPatternArguments& arguments, Electronics& electronics);

// The same with the electronics behind the printing interface (tests and
// benchmarks hand in their own).
void printPattern(const PrintPatternArguments& arguments, PrintingElectronics& electronics);

} // namespace Dotfield
