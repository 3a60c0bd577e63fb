#pragma once
// Calibration runs that cannot be carried out with what the electronics hold:
// a sampling-only run needs the statistics of an earlier calibration for its
// five points, and a full run needs at least one measurement from its scan to
// look for resonances in.

#include "Dotfield/Instrument/Errors/CaseError.hpp"

namespace Dotfield {

enum class DispenserCalibrationErrorKind {
    noDispenserStatistics,
    noImpedanceMeasurements,
};

class DispenserCalibrationError final : public CaseError<DispenserCalibrationErrorKind> {
  public:
    using CaseError::CaseError;

    std::string domain() const override;
    std::string caseDescription() const override;
    ErrorAlertContent presentableDescription() const override;
};

} // namespace Dotfield
