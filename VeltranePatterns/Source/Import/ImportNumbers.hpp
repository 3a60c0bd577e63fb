#pragma once
// Integers in the text of import files, read locale-independently as whole texts.

#include <cstdint>
#include <optional>
#include <string_view>

namespace VeltranePatterns {

// An optional "+" or "-" and decimal digits, nothing else (no blank), no overflow.
std::optional<std::int64_t> readImportInteger(std::string_view text);

} // namespace VeltranePatterns
