#include "Dotfield/Printing/Items/ItemKindPrinting.hpp"
#include "Dotfield/Printing/Modes/PrintingMode.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "VeltranePatterns/Source/Items/Arc.hpp"

namespace Dotfield {

void printArc(const VeltranePatterns::Arc& arc, const ItemPrinting& printing) {
    printing.printingMode.run(printing.electronics, [&] {
        printing.robot.drawArc(arc.startAngle(), arc.endAngle(), arc.centerPoint(), arc.radius(), arc.direction(),
                               printing.patternStart, printing.surfaceCant, printing.scaleFactor, printing.rotation,
                               printing.topographyMap, arc.velocity(), arc.acceleration());
    });
}

} // namespace Dotfield
