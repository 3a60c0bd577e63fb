#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"

#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

std::string ElectronicsError::domain() const {
    return "Dotfield.ElectronicsError";
}

std::string ElectronicsError::caseDescription() const {
    switch (kind()) {
    case Kind::electronicsDisconnected:
        return "electronicsDisconnected";
    case Kind::dispenserDisconnectedMidOperation:
        return "dispenserDisconnectedMidOperation";
    case Kind::unrecoverableCommunicationNoise:
        return "unrecoverableCommunicationNoise";
    case Kind::abortedByUser:
        return "abortedByUser";
    case Kind::internalTestFailure:
        return "internalTestFailure";
    }
    return "unknown";
}

ErrorAlertContent ElectronicsError::presentableDescription() const {
    switch (kind()) {
    case Kind::electronicsDisconnected:
        return {"OK", "Cancel", "The connection to the control electronics was lost.",
                checkElectronicsBoxRecoveryText};
    case Kind::dispenserDisconnectedMidOperation:
        return {"OK", "Cancel", "Dispenser disconnected mid-operation.",
                "Please reconnect the dispenser and click OK to resume the interrupted operation."};
    case Kind::unrecoverableCommunicationNoise:
        return {
            "OK", "Cancel", "Communication noise has interrupted operations.",
            "A high amount of communication noise has interrupted normal operation. Check to make sure the "
            "electronics and RJ-11 cables are firmly connected, and that there aren't sources of strong EM "
            "noise nearby. Click OK to attempt recovery."};
    case Kind::abortedByUser:
        return {"OK", std::nullopt, "Operation aborted manually.",
                "The operation was manually aborted. Click OK to resume normal operations."};
    case Kind::internalTestFailure:
        return internalTestFailureAlertContent();
    }
    return {};
}

bool isAbortedByUser(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const ElectronicsError& electronicsError) {
        return electronicsError.kind() == ElectronicsErrorKind::abortedByUser;
    } catch (...) {
        return false;
    }
}

void throwIfAbortedByUser(const std::atomic<bool>& stopRequested, const Diagnostics::SourceLocation& location) {
    if (stopRequested.load()) {
        throw Diagnostics::logAndReturnError(ElectronicsError(ElectronicsErrorKind::abortedByUser), location);
    }
}

} // namespace Dotfield
