#include "Dotfield/Printing/Items/ItemKindPrinting.hpp"
#include "Dotfield/Printing/Modes/PrintingMode.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "VeltranePatterns/Source/Items/Line.hpp"

namespace Dotfield {

void printLine(const VeltranePatterns::Line& line, const ItemPrinting& printing) {
    printing.printingMode.run(printing.electronics, [&] {
        printing.robot.drawLineToCoordinate(printing.correctedPoint(line.endingPoint()), printing.topographyMap,
                                            line.velocity(), line.acceleration());
    });
}

} // namespace Dotfield
