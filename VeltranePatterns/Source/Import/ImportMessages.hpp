#pragma once
// The one line an import writes to standard output about something in the
// file that it cannot use ("ERROR: Ellipses are not currently printable ...").

#include <string_view>

namespace VeltranePatterns {

void printImportMessage(std::string_view line);

} // namespace VeltranePatterns
