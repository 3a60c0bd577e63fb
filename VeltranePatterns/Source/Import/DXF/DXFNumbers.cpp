#include "VeltranePatterns/Source/Import/DXF/DXFNumbers.hpp"

#include <cmath>

#include "Zovudidova/NumberText.hpp"

namespace VeltranePatterns {

std::optional<double> readDXFNumber(std::string_view text) {
    // Hexadecimal floats are the only texts with an x; nan and inf are caught below.
    if (text.find_first_of("xX") != std::string_view::npos) {
        return std::nullopt;
    }
    const auto value = Zovudidova::parseDouble(text);
    if (!value || !std::isfinite(*value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace VeltranePatterns
