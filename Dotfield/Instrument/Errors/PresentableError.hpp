#pragma once
// An error that can be shown to the operator: each case gives the complete
// content of its recovery alert.

#include "Dotfield/Instrument/Errors/DotfieldError.hpp"
#include "Dotfield/Platform/Alerts/ErrorAlertContent.hpp"

namespace Dotfield {

class PresentableError : public DotfieldError {
  public:
    virtual ErrorAlertContent presentableDescription() const = 0;
};

// The content for the internalTestFailure cases, which serve the automated tests
// and are never meant for the operator. Asking for it is a programming error: a
// debug build stops; a release build logs it and shows a plain "Internal error".
ErrorAlertContent internalTestFailureAlertContent();

// The recovery text shared by several connection failures of the electronics.
inline constexpr const char* checkElectronicsBoxRecoveryText =
    "Check to make sure that the control electronics box is connected to the computer and is turned on.  "
    "When ready, click OK to retry the connection.";

} // namespace Dotfield
