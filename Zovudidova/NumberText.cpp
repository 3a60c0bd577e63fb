#include "Zovudidova/NumberText.hpp"

#include "Zovudidova/FormattedDouble.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <clocale>
#include <cstdlib>
#include <locale.h>
#include <string_view>
#include <system_error>

namespace Zovudidova {

char* formatDouble(double value, char* buffer) {
    const auto copy = [buffer](std::string_view text) { return std::copy(text.begin(), text.end(), buffer); };
    if (std::isnan(value)) {
        return copy("nan");
    }
    if (std::isinf(value)) {
        return copy(value < 0 ? "-inf" : "inf");
    }
    // Exponent form below 1e-4 in magnitude and from 2^54 on, as the platform's
    // description does; plain decimal (with ".0" on integral values) otherwise.
    // The longest text, "-2.2250738585072014e-308" or a fixed-point value
    // below 2^54 with its ".0", fits with room to spare.
    const double magnitude = std::fabs(value);
    const bool exponent = magnitude != 0.0 && (magnitude < 1e-4 || magnitude >= 0x1.0p54);
    const auto format = exponent ? std::chars_format::scientific : std::chars_format::fixed;
    char* end = std::to_chars(buffer, buffer + formattedDoubleCapacity - 2, value, format).ptr;
    if (!exponent && std::find(buffer, end, '.') == end) {
        *end++ = '.';
        *end++ = '0';
    }
    return end;
}

std::string formatDouble(double value) {
    char buffer[formattedDoubleCapacity];
    return std::string(buffer, formatDouble(value, buffer));
}

std::string formatFixed(double value, int decimals) {
    if (std::isnan(value)) {
        return std::signbit(value) ? "-nan" : "nan";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-inf" : "inf";
    }
    decimals = decimals < 0 ? 0 : (decimals > 17 ? 17 : decimals);
    // 309 integral digits, the point, the decimals and a sign fit.
    char buffer[340];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

std::optional<double> parseDouble(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    const std::string_view unsigned_text = text.front() == '+' || text.front() == '-' ? text.substr(1) : text;
    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.front() == '+' || text.front() == '-') {
        return std::nullopt;
    }
    double value = 0.0;
    std::from_chars_result result{};
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        if (text.empty() || text.front() == '+' || text.front() == '-') {
            return std::nullopt;
        }
        result = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::hex);
    } else {
        result = std::from_chars(text.data(), text.data() + text.size(), value);
    }
    // Out-of-range text is still a number in the C library's terms: it rounds to
    // zero or infinity. The conversion runs in an explicit "C" locale object.
    if (result.ec == std::errc::result_out_of_range && result.ptr == text.data() + text.size()) {
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        const std::string copy(unsigned_text);
        char* end = nullptr;
        value = strtod_l(copy.c_str(), &end, cLocale);
        if (end != copy.c_str() + copy.size()) {
            return std::nullopt;
        }
    } else if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::optional<long long> parseInteger(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return std::nullopt;
        }
    }
    long long value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace Zovudidova
