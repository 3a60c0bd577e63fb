#pragma once
// Log lines the operator or a support engineer must be able to find (a settings
// file that could not be read, a timer resumed once too often). Unlike the
// diagnostic hooks these are always written, one line each, to standard error.

#include <string_view>

namespace Dotfield {

void writeLogLine(std::string_view message);

} // namespace Dotfield
