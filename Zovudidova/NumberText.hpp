#pragma once
// Locale-independent number text shared by the whole system. Qt switches the C
// library to the user's locale, so nothing may format or parse through it.

#include <optional>
#include <string>
#include <string_view>

namespace Zovudidova {

// The platform's text of a double: shortest text that reads back as the same
// double, "5.0" for integral values, exponent form for tiny and huge magnitudes
// ("1e-06", "1.8014398509481984e+16"), and "nan", "inf", "-inf".
std::string formatDouble(double value);

// The C library's "%.Nf" text of a double with N = decimals (0 to 17): fixed
// point, rounded to nearest, a minus sign kept on negative values that round
// to zero ("-0.000"), no plus sign, no padding; "nan", "inf", "-inf".
std::string formatFixed(double value, int decimals);

// Whole-text conversion in the C locale's syntax: an optional sign, decimal or
// hexadecimal digits with an optional exponent, "nan", "inf" or "infinity".
// Leading or trailing blanks, or any other character, give nothing.
std::optional<double> parseDouble(std::string_view text);

// Whole-text conversion of a decimal integer with an optional sign; nothing on
// overflow or on any other character.
std::optional<long long> parseInteger(std::string_view text);

} // namespace Zovudidova
