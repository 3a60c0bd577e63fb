#include "Diagnostics/ProgramStop.hpp"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace Diagnostics {

void stopProgram(std::string_view message, const SourceLocation& location) {
    const std::string text = "Fatal error: " + std::string(message) + " (" + location.file_name() + ":" +
                             std::to_string(location.line()) + ", " + location.function_name() + ")\n";
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
    std::abort();
}

} // namespace Diagnostics
