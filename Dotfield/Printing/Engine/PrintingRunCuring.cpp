// The UV curing passes of a print. The relay is opened, best-effort, on every
// way out of a pass that closed it, so an error never leaves the UV source on.

#include "Dotfield/Printing/Engine/PrintingRun.hpp"
#include "Dotfield/Printing/Engine/PrintTravel.hpp"
#include "Dotfield/Printing/Modes/RelaySwitching.hpp"
#include "Dotfield/Robotics/Robot.hpp"

namespace Dotfield {

void PrintingRun::cureWhilePrinting(const VeltranePatterns::PatternItem& item, const Coordinate& start,
                                        int layer, int itemIndex) {
    const UVCuringPatternMode& curing = *arguments_.uvCuringMode;
    Robot& robot = arguments_.robot;
    try {
        robot.moveToPosition(start + curing.offset, robot.currentCoordinate().z + curing.offset.z);
        const PrintingMode mode = PrintingMode::uvCure(curing.relay, curing.duration);
        // The item itself is printed: its cure reports the position after it.
        const ItemProgressHandler handler = [this, layer, next = itemIndex + 1](double) {
            return shouldStop(layer, next);
        };
        printItem(item, printingAt(patternStart_ + curing.offset, mode, handler));
        robot.moveToPosition(robot.currentCoordinate().coordinateByIncreasingHeight(-curing.offset.z));
    } catch (...) {
        openCuringRelayAfterFailure(*curing.relay);
        throw;
    }
}

bool PrintingRun::cureAfterLayer(int layer) {
    if (!arguments_.uvCuringMode || arguments_.uvCuringMode->kind != UVCuringPatternMode::Kind::afterEachSolution) {
        return true;
    }
    // A stop here resumes after the layer's last item, so only this cure is redone.
    const auto index = static_cast<std::size_t>(layer);
    return retrace(index, index + 1, layer, static_cast<int>(layers_[index].patternItems().size()));
}

bool PrintingRun::cureAfterPattern() {
    if (!arguments_.uvCuringMode || arguments_.uvCuringMode->kind != UVCuringPatternMode::Kind::afterPattern) {
        return true;
    }
    // A stop here resumes past the last layer, so only this cure is redone.
    return retrace(0, layers_.size(), static_cast<int>(layers_.size()), 0);
}

bool PrintingRun::retrace(std::size_t firstLayer, std::size_t endLayer, int reportLayer, int reportItem) {
    const UVCuringPatternMode& curing = *arguments_.uvCuringMode;
    const Coordinate anchor = patternStart_ + curing.offset;
    const PrintingMode mode = PrintingMode::none(curing.duration);
    const ItemProgressHandler handler = progressHandler(reportLayer, reportItem);
    try {
        switchCuringRelay(*curing.relay, RelayState::closed);
        for (std::size_t layer = firstLayer; layer < endLayer; ++layer) {
            for (const VeltranePatterns::PatternItemPtr& item : layers_[layer].patternItems()) {
                if (shouldStop(reportLayer, reportItem)) {
                    switchCuringRelay(*curing.relay, RelayState::open);
                    return false;
                }
                if (!item || !isPrintablePatternItem(*item)) {
                    continue;
                }
                travelToItem(arguments_.robot, correctedStart(*item, anchor), arguments_.pattern.continuous(),
                             false);
                printItem(*item, printingAt(anchor, mode, handler));
            }
        }
        switchCuringRelay(*curing.relay, RelayState::open);
    } catch (...) {
        openCuringRelayAfterFailure(*curing.relay);
        throw;
    }
    return true;
}

} // namespace Dotfield
