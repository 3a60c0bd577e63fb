#pragma once
// Numbers in DXF value lines, read locale-independently as whole texts.

#include <cstdint>
#include <optional>
#include <string_view>

namespace VeltranePatterns {

// An optional "+" or "-" and decimal digits, nothing else, no overflow.
std::optional<std::int64_t> readDXFInteger(std::string_view text);

// A finite decimal number taking the whole text (no blanks). "nan", "inf",
// hexadecimal text and values that overflow to infinity are no number: a
// non-finite coordinate must never reach the pattern's limits or the positioner.
std::optional<double> readDXFNumber(std::string_view text);

} // namespace VeltranePatterns
