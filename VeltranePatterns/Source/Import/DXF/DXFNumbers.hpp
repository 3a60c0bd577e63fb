#pragma once
// Decimal numbers in DXF value lines, read locale-independently as whole texts.
// Integers are read by readImportInteger (ImportNumbers.hpp).

#include <optional>
#include <string_view>

namespace VeltranePatterns {

// A finite decimal number taking the whole text (no blanks). "nan", "inf",
// hexadecimal text and values that overflow to infinity are no number: a
// non-finite coordinate must never reach the pattern's limits or the positioner.
std::optional<double> readDXFNumber(std::string_view text);

} // namespace VeltranePatterns
