#include <cstddef>

#include "Dotfield/Printing/Items/ItemKindPrinting.hpp"
#include "Dotfield/Printing/Modes/PrintingMode.hpp"
#include "Dotfield/Robotics/Robot.hpp"

namespace Dotfield {

void printToolPath(const std::vector<VeltranePatterns::Coordinate>& path, std::optional<double> velocity,
                   std::optional<double> acceleration, const ItemPrinting& printing) {
    printing.printingMode.run(printing.electronics, [&] {
        const auto n = static_cast<double>(path.size());
        for (std::size_t i = 0; i < path.size(); ++i) {
            printing.robot.drawLineToCoordinate(printing.correctedPoint(path[i]), printing.topographyMap, velocity,
                                                acceleration);
            if (printing.progressHandler && printing.progressHandler(static_cast<double>(i) / n)) {
                return;
            }
        }
    });
}

} // namespace Dotfield
