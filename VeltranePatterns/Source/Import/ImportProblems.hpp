#pragma once
// Problems an import met, gathered by kind so that each kind is told once, at
// the end, with its count and the first line it was met on, instead of one
// line per occurrence.

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace VeltranePatterns {

class ImportProblems {
public:
    // One more occurrence of the problem on the line (counted from 1).
    void note(const std::string& problem, std::size_t lineNumber);

    // One line per kind, in the order the kinds were first met:
    // "<problem> (line 12)" or "<problem> (3 times, first on line 12)".
    std::vector<std::string> summaryLines() const;
    // Writes the summary to standard output.
    void print() const;

private:
    struct Kind {
        std::string problem;
        std::size_t count = 0;
        std::size_t firstLine = 0;
    };
    std::vector<Kind> kinds_;
    std::unordered_map<std::string, std::size_t> index_;
};

} // namespace VeltranePatterns
