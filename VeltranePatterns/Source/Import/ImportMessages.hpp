#pragma once
// The one line an import writes to standard output about something in the
// file that it cannot use ("ERROR: Ellipses are not currently printable ...").

#include <string>
#include <string_view>
#include <vector>

namespace VeltranePatterns {

void printImportMessage(std::string_view line);

// The reason, followed by the notes in parentheses, separated by "; ", when there are any.
std::string withNotes(std::string reason, const std::vector<std::string>& notes);

} // namespace VeltranePatterns
