#include "Dotfield/Calibration/FinishFailedRun.hpp"

#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/Robotics/Robot.hpp"

namespace Dotfield {

std::exception_ptr finishFailedRun(std::exception_ptr error, Robot& robot, std::atomic<bool>& stopRequested,
                                   const VeltranePatterns::Coordinate& start) {
    if (!isAbortedByUser(error)) {
        return error;
    }
    stopRequested.store(false);
    try {
        robot.moveToPosition(start, start.z);
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

} // namespace Dotfield
