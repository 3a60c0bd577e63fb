#include "Dotfield/Platform/Settings/PropertyListValue.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace Dotfield {

namespace {

// 2^63 as a double: the first real past the integer range.
constexpr double twoToThe63 = 9223372036854775808.0;
constexpr double twoToThe64 = 18446744073709551616.0;

} // namespace

bool PropertyListValue::isIdenticalTo(const PropertyListValue& other) const {
    if (storage_.index() != other.storage_.index()) {
        return false;
    }
    if (const auto* value = as<double>()) {
        const double otherValue = *other.as<double>();
        if (std::isnan(*value) || std::isnan(otherValue)) {
            return std::isnan(*value) && std::isnan(otherValue);
        }
        return std::bit_cast<std::uint64_t>(*value) == std::bit_cast<std::uint64_t>(otherValue);
    }
    if (const auto* array = as<Array>()) {
        const Array& otherArray = *other.as<Array>();
        return std::equal(
            array->begin(), array->end(), otherArray.begin(), otherArray.end(),
            [](const PropertyListValue& a, const PropertyListValue& b) { return a.isIdenticalTo(b); });
    }
    if (const auto* dictionary = as<Dictionary>()) {
        const Dictionary& otherDictionary = *other.as<Dictionary>();
        return std::equal(dictionary->begin(), dictionary->end(), otherDictionary.begin(),
                          otherDictionary.end(), [](const auto& a, const auto& b) {
                              return a.first == b.first && a.second.isIdenticalTo(b.second);
                          });
    }
    return storage_ == other.storage_;
}

bool PropertyListValue::isNumber() const {
    return holds<bool>() || holds<std::int64_t>() || holds<double>();
}

std::optional<double> PropertyListValue::doubleValue() const {
    if (const auto* value = as<double>()) {
        return *value;
    }
    if (const auto* value = as<std::int64_t>()) {
        return static_cast<double>(*value);
    }
    if (const auto* value = as<bool>()) {
        return *value ? 1.0 : 0.0;
    }
    return std::nullopt;
}

std::optional<std::int64_t> PropertyListValue::integerValue() const {
    if (const auto* value = as<std::int64_t>()) {
        return *value;
    }
    if (const auto* value = as<bool>()) {
        return *value ? 1 : 0;
    }
    if (const auto* value = as<double>()) {
        if (std::isnan(*value)) {
            return 0;
        }
        if (*value >= twoToThe63) {
            return std::numeric_limits<std::int64_t>::max();
        }
        if (*value < -twoToThe63) {
            return std::numeric_limits<std::int64_t>::min();
        }
        return static_cast<std::int64_t>(std::trunc(*value));
    }
    return std::nullopt;
}

std::optional<bool> PropertyListValue::boolValue() const {
    if (const auto* value = as<bool>()) {
        return *value;
    }
    if (const auto* value = as<std::int64_t>()) {
        return *value != 0;
    }
    if (const auto* value = as<double>()) {
        return *value != 0.0;
    }
    return std::nullopt;
}

std::optional<double> PropertyListValue::exactDouble() const {
    if (const auto* value = as<std::int64_t>()) {
        const double converted = static_cast<double>(*value);
        // A round trip tells whether the double holds the integer exactly.
        if (converted >= twoToThe63 || static_cast<std::int64_t>(converted) != *value) {
            return std::nullopt;
        }
        return converted;
    }
    return doubleValue();
}

std::optional<std::int64_t> PropertyListValue::exactInteger() const {
    if (const auto* value = as<double>()) {
        if (!std::isfinite(*value) || std::trunc(*value) != *value || *value >= twoToThe63 ||
            *value < -twoToThe63) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>(*value);
    }
    return integerValue();
}

std::optional<std::uint64_t> PropertyListValue::exactUnsignedInteger() const {
    if (const auto* value = as<double>()) {
        if (!std::isfinite(*value) || std::trunc(*value) != *value || *value < 0.0 || *value >= twoToThe64) {
            return std::nullopt;
        }
        return static_cast<std::uint64_t>(*value);
    }
    const auto integer = integerValue();
    if (!integer || *integer < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(*integer);
}

} // namespace Dotfield
