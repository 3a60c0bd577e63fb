#pragma once
// Splitting the lines of the delay calibration table and the topography file.

#include <string>
#include <string_view>
#include <vector>

namespace Dotfield {

// The line's comma-separated fields in order. Empty pieces (between adjacent
// commas, before a leading or after a trailing comma) are dropped; fields are
// not trimmed, so spaces and a final carriage return stay in them. An empty
// line gives no fields.
std::vector<std::string> commaSeparatedFields(std::string_view line);

} // namespace Dotfield
