#include "Dotfield/Platform/Log.hpp"

#include <cstdio>
#include <string>

namespace Dotfield {

void writeLogLine(std::string_view message) {
    std::string line = "Dotfield: ";
    line.append(message);
    line += '\n';
    // One fwrite per line, so lines of several threads do not interleave.
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

} // namespace Dotfield
