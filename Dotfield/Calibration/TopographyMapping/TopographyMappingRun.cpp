#include "Dotfield/Calibration/TopographyMapping/TopographyMappingRun.hpp"

#include "Dotfield/Calibration/FinishFailedRun.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/Robotics/SurfaceFinding.hpp"
#include "Dotfield/Robotics/SurfaceTopographyMap.hpp"
#include "Dotfield/Robotics/TopographyGrid.hpp"

namespace Dotfield {

using VeltranePatterns::Coordinate;

std::shared_ptr<SurfaceTopographyMap> TopographyMappingRun::measureGrid() const {
    if (!robot || !electronics) {
        throw std::invalid_argument("Topography mapping needs the robot and the electronics");
    }
    auto map = std::make_shared<SurfaceTopographyMap>();
    Robot& positioner = *robot;
    const auto measure = [&]() -> Coordinate {
        throwIfAbortedByUser(*cancelled);
        const bool slow = positioner.shouldUseSlowApproachDuringSurfaceFinding();
        const double approach =
            slow ? positioner.slowSurfaceApproachStepSize() : positioner.surfaceApproachStepSize();
        const Coordinate surface = findSurfaceWithApproachStepSize(
            approach, positioner.surfaceRetractionStepSize(), !slow, positioner, *electronics,
            recalibrationOperation);
        throwIfAbortedByUser(*cancelled);
        map->addPoint(surface);
        if (pointMeasured) {
            pointMeasured(surface);
        }
        return surface;
    };
    mapTopographyGrid(positioner, grid.distanceInX, grid.distanceInY, grid.stepSizeInX, grid.stepSizeInY, measure);
    return map;
}

std::exception_ptr
TopographyMappingRun::run(const Coordinate& start,
                          const std::function<void(std::shared_ptr<SurfaceTopographyMap>)>& mapCompleted) const {
    try {
        auto map = measureGrid();
        if (mapCompleted) {
            mapCompleted(std::move(map));
        }
        robot->moveToPosition(start, start.z);
        return nullptr;
    } catch (...) {
        return finishFailedRun(std::current_exception(), *robot, *cancelled, start);
    }
}

} // namespace Dotfield
