#pragma once
// Failures of the USB-controlled relay box.

#include "Dotfield/Instrument/Errors/CaseError.hpp"

namespace Dotfield {

enum class RelayErrorKind { electronicsDisconnected, unrecoverableCommunicationNoise, relayDidNotSwitch };

class RelayError final : public CaseError<RelayErrorKind> {
  public:
    using CaseError::CaseError;

    std::string domain() const override;
    std::string caseDescription() const override;
    ErrorAlertContent presentableDescription() const override;

    friend bool operator==(const RelayError& a, const RelayError& b) { return a.kind() == b.kind(); }
};

} // namespace Dotfield
