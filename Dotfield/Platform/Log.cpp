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

std::string describeFailure(std::string_view what, const std::exception_ptr& cause) {
    std::string text(what);
    if (!cause) {
        return text;
    }
    text += ": ";
    try {
        std::rethrow_exception(cause);
    } catch (const std::exception& error) {
        text += error.what();
    } catch (...) {
        text += "unknown error";
    }
    return text;
}

} // namespace Dotfield
