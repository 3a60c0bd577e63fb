#pragma once
// How the electronics protocols turn a failed exchange into the error shown to
// the operator, and the single retry of a failed step that comes before.
//
//   wrongByteCount, corruptedResponse       -> unrecoverableCommunicationNoise
//   failedStatusCheck, readWriteTimeout     -> electronicsDisconnected

#include <utility>

#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

ElectronicsError electronicsErrorFor(const CommunicationsError& error);

// Runs the step; when it fails with a CommunicationsError the error is
// dropped and the step runs once more, whose failure is thrown.
template <typename Step> auto retryingOnce(Step&& step) -> decltype(step()) {
    try {
        return step();
    } catch (const CommunicationsError&) {
    }
    return step();
}

// Runs the operation; a CommunicationsError it throws comes out as the
// ElectronicsError it stands for. Other errors pass unchanged.
template <typename Operation>
auto convertingCommunicationsErrors(Operation&& operation, const Diagnostics::SourceLocation& location =
                                                               Diagnostics::SourceLocation::current())
    -> decltype(operation()) {
    try {
        return operation();
    } catch (const CommunicationsError& error) {
        throw Diagnostics::logAndReturnError(electronicsErrorFor(error), location);
    }
}

} // namespace Dotfield
