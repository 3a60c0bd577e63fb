#include "Dotfield/Camera/Capture/ConsoleLine.hpp"

#include <cstdio>
#include <string>

namespace Dotfield {

void printConsoleLine(std::string_view text) {
    std::string line(text);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

} // namespace Dotfield
