#pragma once
// Failures of the temperature and humidity sensor.

#include "Dotfield/Instrument/Errors/CaseError.hpp"

namespace Dotfield {

enum class HumiditySensorErrorKind { sensorBusy, readingFailed, sensorDisconnected };

class HumiditySensorError final : public CaseError<HumiditySensorErrorKind> {
  public:
    using CaseError::CaseError;

    std::string domain() const override;
    std::string caseDescription() const override;
    ErrorAlertContent presentableDescription() const override;

    friend bool operator==(const HumiditySensorError& a, const HumiditySensorError& b) {
        return a.kind() == b.kind();
    }
};

} // namespace Dotfield
