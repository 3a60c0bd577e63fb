#pragma once
// How a calibration run on the robot's queue ends when it fails or the
// operator stops it.

#include <atomic>
#include <exception>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

class Robot;

// For a run that ended with `error`. The operator's stop
// (ElectronicsError.abortedByUser) clears the stop request, so the next run
// starts afresh, and takes the robot back to `start` through the start's
// height: answers the error of the way back, or nothing. Any other error is
// answered as it is, and the robot stays where it stopped.
std::exception_ptr finishFailedRun(std::exception_ptr error, Robot& robot, std::atomic<bool>& stopRequested,
                                   const VeltranePatterns::Coordinate& start);

} // namespace Dotfield
