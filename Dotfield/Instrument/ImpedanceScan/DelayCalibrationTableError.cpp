#include "Dotfield/Instrument/ImpedanceScan/DelayCalibrationTableError.hpp"

#include <utility>

namespace Dotfield {

DelayCalibrationTableError::DelayCalibrationTableError(std::filesystem::path location, std::string reason)
    : location_(std::move(location)), reason_(std::move(reason)) {}

std::string DelayCalibrationTableError::caseDescription() const {
    return "Delay calibration file is missing from the application bundle: " + location_.string() + " (" +
           reason_ + ")";
}

} // namespace Dotfield
