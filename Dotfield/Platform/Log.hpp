#pragma once
// Log lines the operator or a support engineer must be able to find (a settings
// file that could not be read, a timer resumed once too often). Unlike the
// diagnostic hooks these are always written, one line each, to standard error.

#include <exception>
#include <string>
#include <string_view>

namespace Dotfield {

void writeLogLine(std::string_view message);

// "what: cause", the cause's text being its what() (or "unknown error"), so
// a failure that is handled here still says why it happened.
std::string describeFailure(std::string_view what, const std::exception_ptr& cause);

} // namespace Dotfield
