#pragma once
// Opening a device link failed.

#include "Dotfield/Instrument/Errors/CaseError.hpp"

namespace Dotfield {

enum class SerialPortConnectionErrorKind {
    deviceMissing,
    connectionToDeviceFailed,
    settingTheSettingsFailed
};

class SerialPortConnectionError final : public CaseError<SerialPortConnectionErrorKind> {
  public:
    using CaseError::CaseError;

    std::string domain() const override;
    std::string caseDescription() const override;
    ErrorAlertContent presentableDescription() const override;

    friend bool operator==(const SerialPortConnectionError& a, const SerialPortConnectionError& b) {
        return a.kind() == b.kind();
    }
};

} // namespace Dotfield
