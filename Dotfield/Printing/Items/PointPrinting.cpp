#include "Dotfield/Printing/Items/ItemKindPrinting.hpp"
#include "Dotfield/Printing/Modes/PrintingMode.hpp"
#include "VeltranePatterns/Source/Items/Point.hpp"

namespace Dotfield {

// No motion: the engine has brought the robot to the point.
void printPoint(const VeltranePatterns::Point& point, const ItemPrinting& printing) {
    printing.printingMode.perform(point.duration(), printing.electronics);
}

} // namespace Dotfield
