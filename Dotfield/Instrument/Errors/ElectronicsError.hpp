#pragma once
// Failures of the dispenser electronics, as shown to the operator.

#include <atomic>
#include <exception>

#include "Diagnostics/SourceLocation.hpp"
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

// Whether the error is the operator's abort (ElectronicsError.abortedByUser).
bool isAbortedByUser(const std::exception_ptr& error);

// Throws ElectronicsError.abortedByUser, logged at the caller, once the
// operator has asked a run to stop.
void throwIfAbortedByUser(const std::atomic<bool>& stopRequested,
                          const Diagnostics::SourceLocation& location = Diagnostics::SourceLocation::current());

} // namespace Dotfield
