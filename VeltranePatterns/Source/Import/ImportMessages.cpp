#include "VeltranePatterns/Source/Import/ImportMessages.hpp"

#include <cstdio>
#include <string>

namespace VeltranePatterns {

void printImportMessage(std::string_view line) {
    std::string text(line);
    text += '\n';
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

} // namespace VeltranePatterns
