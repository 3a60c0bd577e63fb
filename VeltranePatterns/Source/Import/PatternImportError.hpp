#pragma once
// Why a file could not be imported as a pattern, in words the document's open
// alert can show ("not a text DXF file").

#include <stdexcept>
#include <string>

namespace VeltranePatterns {

class PatternImportError : public std::runtime_error {
public:
    explicit PatternImportError(const std::string& reason) : std::runtime_error(reason) {}

    // The reason, as what() gives it.
    std::string reason() const { return what(); }
};

} // namespace VeltranePatterns
