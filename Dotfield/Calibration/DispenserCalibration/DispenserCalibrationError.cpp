#include "Dotfield/Calibration/DispenserCalibration/DispenserCalibrationError.hpp"

namespace Dotfield {

std::string DispenserCalibrationError::domain() const {
    return "Dotfield.DispenserCalibrationError";
}

std::string DispenserCalibrationError::caseDescription() const {
    switch (kind()) {
    case Kind::noDispenserStatistics:
        return "noDispenserStatistics";
    case Kind::noImpedanceMeasurements:
        return "noImpedanceMeasurements";
    }
    return "unknown";
}

ErrorAlertContent DispenserCalibrationError::presentableDescription() const {
    switch (kind()) {
    case Kind::noDispenserStatistics:
        return {"OK", std::nullopt, "The dispenser has not been calibrated.",
                "Calibrate the dispenser in the Dispenser Calibration window, then try again."};
    case Kind::noImpedanceMeasurements:
        return {"OK", std::nullopt, "The impedance scan returned no measurements.",
                "The dispenser could not be calibrated. Check the dispenser's connection and calibrate it again."};
    }
    return {};
}

} // namespace Dotfield
