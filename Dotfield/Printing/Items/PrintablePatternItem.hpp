#pragma once
// Printing one pattern item with the robot, inside the printing mode the
// engine hands it. The robot stands at the item's corrected starting point;
// the item begins the mode, makes its moves (lines and arcs through the
// robot's drawing operations, so each model draws them its own way) and ends
// the mode. A failure ends the begun mode best-effort before it is passed on.
//
// Lines, arcs, fills, arc fills, points and polygons print; a pause does not.

#include <functional>
#include <memory>

#include "Dotfield/Robotics/CorrectedPoint.hpp"
#include "Dotfield/Robotics/SurfaceCant.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"
#include "VeltranePatterns/Source/Items/PatternItem.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

class PrintingElectronics;
class PrintingMode;
class Robot;
class SurfaceTopographyMap;

// Takes the fraction of the item done (0 up to below 1); answers true when the
// print is to stop. Fills and arc fills call it; a stop ends the item normally.
using ItemProgressHandler = std::function<bool(double fractionDone)>;

// Everything one item prints with.
struct ItemPrinting {
    VeltranePatterns::Coordinate patternStart;
    SurfaceCant surfaceCant;
    double scaleFactor = 1.0;
    Zovudidova::Angle rotation = Zovudidova::radians(0.0);
    double featureWidth = 0.0;
    Robot& robot;
    PrintingElectronics& electronics;
    std::shared_ptr<SurfaceTopographyMap> topographyMap;
    const PrintingMode& printingMode;
    const ItemProgressHandler& progressHandler;

    // The robot position of the pattern point q under this placement.
    VeltranePatterns::Coordinate correctedPoint(const VeltranePatterns::Coordinate& q) const;
};

// Whether the item has a way to print (every kind but a pause).
bool isPrintablePatternItem(const VeltranePatterns::PatternItem& item);

// Prints the item; a pause is refused with std::invalid_argument. Throws the
// errors of the mode and of the robot's moves.
void printItem(const VeltranePatterns::PatternItem& item, const ItemPrinting& printing);

} // namespace Dotfield
