#include "Dotfield/Printing/Items/ItemKindPrinting.hpp"
#include "VeltranePatterns/Source/Items/Fill.hpp"
#include "VeltranePatterns/Source/ToolPaths/FillToolPath.hpp"

namespace Dotfield {

void printFill(const VeltranePatterns::Fill& fill, const ItemPrinting& printing) {
    printToolPath(VeltranePatterns::calculateFillDrawingCoordinates(fill, printing.featureWidth,
                                                                    printing.scaleFactor),
                  fill.velocity(), fill.acceleration(), printing);
}

} // namespace Dotfield
