#pragma once
// One topography mapping run over a grid, on the robot's queue: from the
// start point, row by row, the robot travels at the start's height to each
// grid point and finds the surface there; the run collects the points into a
// map of its own, hands each point on as it is measured (the window draws it)
// and, when every point is measured, hands on the finished map (the window
// puts it in force). A cancel is seen before and after each surface finding;
// the point being measured then is dropped.
//
// Threads: the run and its callbacks on the robot's queue; the cancel flag is
// set from any thread.

#include <atomic>
#include <exception>
#include <functional>
#include <memory>

#include "Dotfield/Calibration/TopographyMapping/TopographyMappingSettings.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

class Electronics;
class Robot;
class SurfaceTopographyMap;

struct TopographyMappingRun {
    std::shared_ptr<Robot> robot;
    std::shared_ptr<Electronics> electronics;
    std::function<void()> recalibrationOperation;
    TopographyGridExtent grid;
    std::shared_ptr<std::atomic<bool>> cancelled = std::make_shared<std::atomic<bool>>(false);
    // Each measured point, in order.
    std::function<void(const VeltranePatterns::Coordinate&)> pointMeasured;

    // Measures the whole grid from the robot's position and answers the map.
    // Throws the first error of a move, a surface finding or the grid (see
    // topographyGridSize), and ElectronicsError.abortedByUser when cancelled.
    // Stays where the last point left the robot.
    std::shared_ptr<SurfaceTopographyMap> measureGrid() const;

    // The window's run from the start point: measureGrid, then mapCompleted
    // with the map, then back to the start (through the start's height). A
    // cancel clears the flag and goes back to the start as well, without an
    // error. Answers the error that ended the run (the robot stays where it
    // stopped) or that the way back met; nothing after success or a cancel.
    std::exception_ptr run(const VeltranePatterns::Coordinate& start,
                           const std::function<void(std::shared_ptr<SurfaceTopographyMap>)>& mapCompleted) const;
};

} // namespace Dotfield
