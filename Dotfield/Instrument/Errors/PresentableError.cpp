#include "Dotfield/Instrument/Errors/PresentableError.hpp"

#include "Dotfield/Platform/Log.hpp"
#include "Diagnostics/ProgramStop.hpp"

namespace Dotfield {

ErrorAlertContent internalTestFailureAlertContent() {
    constexpr const char* message = "InternalTestFailure should never be used for dialog presentation";
#ifndef NDEBUG
    Diagnostics::stopProgram(message);
#else
    writeLogLine(message);
    return ErrorAlertContent{"OK", std::nullopt, "Internal error", ""};
#endif
}

} // namespace Dotfield
