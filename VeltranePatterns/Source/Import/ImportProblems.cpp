#include "VeltranePatterns/Source/Import/ImportProblems.hpp"

#include "VeltranePatterns/Source/Import/ImportMessages.hpp"

namespace VeltranePatterns {

void ImportProblems::note(const std::string& problem, std::size_t lineNumber) {
    const auto [entry, isNew] = index_.try_emplace(problem, kinds_.size());
    if (isNew) {
        kinds_.push_back(Kind{problem, 0, lineNumber});
    }
    ++kinds_[entry->second].count;
}

std::vector<std::string> ImportProblems::summaryLines() const {
    std::vector<std::string> lines;
    lines.reserve(kinds_.size());
    for (const Kind& kind : kinds_) {
        if (kind.count == 1) {
            lines.push_back(kind.problem + " (line " + std::to_string(kind.firstLine) + ")");
        } else {
            lines.push_back(kind.problem + " (" + std::to_string(kind.count) + " times, first on line " +
                            std::to_string(kind.firstLine) + ")");
        }
    }
    return lines;
}

void ImportProblems::print() const {
    for (const std::string& line : summaryLines()) {
        printImportMessage(line);
    }
}

} // namespace VeltranePatterns
