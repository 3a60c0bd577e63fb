#pragma once
// The camera's plain console lines ("Camera: ...", "FPS: ..."), which go to
// standard output whatever the diagnostics setting.

#include <string_view>

namespace Dotfield {

// Writes the text and a line end to standard output at once.
void printConsoleLine(std::string_view text);

} // namespace Dotfield
