#pragma once
// Failures of the dispenser electronics, as shown to the operator.

#include "Dotfield/Instrument/Errors/CaseError.hpp"

namespace Dotfield {

enum class ElectronicsErrorKind {
    electronicsDisconnected,
    dispenserDisconnectedMidOperation,
    unrecoverableCommunicationNoise,
    abortedByUser,
    internalTestFailure
};

class ElectronicsError final : public CaseError<ElectronicsErrorKind> {
  public:
    using CaseError::CaseError;

    std::string domain() const override;
    std::string caseDescription() const override;
    ErrorAlertContent presentableDescription() const override;

    friend bool operator==(const ElectronicsError& a, const ElectronicsError& b) {
        return a.kind() == b.kind();
    }
};

} // namespace Dotfield
