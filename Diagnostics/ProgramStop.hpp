#pragma once
// The one way the program stops on a broken invariant or a misuse of an API
// ("You forgot to set the layer callback before parsing"): the message goes to
// standard error with its source location, then the process aborts.

#include "Diagnostics/SourceLocation.hpp"
#include <string_view>

namespace Diagnostics {

[[noreturn]] void stopProgram(std::string_view message,
                              const SourceLocation& location = SourceLocation::current());

} // namespace Diagnostics
