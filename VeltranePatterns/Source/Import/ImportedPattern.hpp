#pragma once
// A pattern read from a drawing or a photoplot, with what the operator must be
// told about the reading: every kind of thing that was left out or could not
// be read, one line each ("3 texts were not imported").

#include <memory>
#include <string>
#include <vector>

#include "VeltranePatterns/Source/Pattern/Pattern.hpp"

namespace VeltranePatterns {

struct ImportedPattern {
    // Nothing when the file cannot be opened.
    std::shared_ptr<Pattern> pattern;
    std::vector<std::string> notes;
};

} // namespace VeltranePatterns
