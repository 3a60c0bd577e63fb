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

std::string withNotes(std::string reason, const std::vector<std::string>& notes) {
    for (std::size_t i = 0; i < notes.size(); ++i) {
        reason += i == 0 ? " (" : "; ";
        reason += notes[i];
    }
    if (!notes.empty()) {
        reason += ')';
    }
    return reason;
}

} // namespace VeltranePatterns
