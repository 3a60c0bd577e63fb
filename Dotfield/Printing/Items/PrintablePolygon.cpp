// A polygon prints as a filled area: its tool path of concentric inset rings
// traced point by point with straight moves while the printing mode is on.

#include "Dotfield/Printing/Items/ItemKindPrinting.hpp"
#include "VeltranePatterns/Source/Items/Polygon.hpp"
#include "VeltranePatterns/Source/ToolPaths/PolygonToolPath.hpp"

namespace Dotfield {

void printPolygon(const VeltranePatterns::Polygon& polygon, const ItemPrinting& printing) {
    printToolPath(VeltranePatterns::calculatePolygonDrawingCoordinates(polygon, printing.featureWidth,
                                                                       printing.scaleFactor),
                  polygon.velocity(), polygon.acceleration(), printing);
}

} // namespace Dotfield
