#pragma once
// Everything one print run hands the printing engine, gathered by the
// document: the pattern, where and from which layer and item it starts, the
// devices, the wells by solution name, the placement, the options and the
// operations. The document calls its print operation with it on the robot's
// queue: the printing engine (printWithEngine), or a small fake in tests.

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
#include "VeltranePatterns/Source/Pattern/Pattern.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

class Electronics;
class PrintingElectronics;
class Robot;
struct PrintPatternArguments;
class SurfaceTopographyMap;

struct PatternPrintRun {
    std::shared_ptr<const VeltranePatterns::Pattern> pattern;
    VeltranePatterns::Coordinate patternStartingPoint;
    int initialLayer = 0;
    int initialPatternItem = 0;
    std::shared_ptr<Robot> robot;
    std::shared_ptr<Electronics> electronics;
    std::map<std::string, SolutionWell> solutionMappingTable;
    std::set<std::string> disabledLayers;
    SurfaceCant surfaceCant;
    // Pattern units.
    VeltranePatterns::Coordinate origin;
    double scaleFactor = 1.0;
    Zovudidova::Angle rotation = Zovudidova::degrees(0.0);
    double featureWidth = 0.0;
    bool useSprayingInsteadOfDispensing = false;
    std::shared_ptr<SurfaceTopographyMap> topographyMap;
    std::optional<UVCuringPatternMode> uvCuringMode;
    std::optional<Zovudidova::Duration> overriddenDropletDuration;
    std::function<void(const SolutionWell&, bool)> solutionChangedOperation;
    bool findSurfaceAtStartOfEachPatternItem = false;
    std::function<void()> recalibrationOperation;
    // Records the layer and item about to print with the percentage done and
    // answers whether to stop.
    std::function<bool(int layer, int item, double percentComplete)> shouldCancelOperation;
};

// Prints the run synchronously on the robot's queue; throws the failing
// device's error.
using PrintPatternOperation = std::function<void(const PatternPrintRun& run)>;

// The engine's arguments for the run; throws std::invalid_argument without a
// pattern or a robot.
PrintPatternArguments printPatternArguments(const PatternPrintRun& run);
// Prints the run with the printing engine and the run's electronics (refused
// with std::invalid_argument without them).
void printWithEngine(const PatternPrintRun& run);
// The same with the electronics behind the printing interface.
void printWithEngine(const PatternPrintRun& run, PrintingElectronics& electronics);

} // namespace Dotfield
