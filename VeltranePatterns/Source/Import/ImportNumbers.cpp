#include "VeltranePatterns/Source/Import/ImportNumbers.hpp"

#include "Zovudidova/NumberText.hpp"

namespace VeltranePatterns {

std::optional<std::int64_t> readImportInteger(std::string_view text) {
    const auto value = Zovudidova::parseInteger(text);
    if (!value) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(*value);
}

} // namespace VeltranePatterns
