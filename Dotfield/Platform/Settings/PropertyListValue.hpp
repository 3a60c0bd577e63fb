#pragma once
// A settings value that keeps its type: a Boolean, an integer, a real, a text,
// raw data, a list or a dictionary with text keys. Booleans, integers and reals
// are the three kinds of number.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace Dotfield {

class PropertyListValue {
  public:
    using Data = std::vector<std::uint8_t>;
    using Array = std::vector<PropertyListValue>;
    using Dictionary = std::map<std::string, PropertyListValue>;
    using Storage = std::variant<bool, std::int64_t, double, std::string, Data, Array, Dictionary>;

    PropertyListValue() : storage_(false) {}
    PropertyListValue(bool value) : storage_(value) {}
    PropertyListValue(std::int64_t value) : storage_(value) {}
    PropertyListValue(int value) : storage_(std::int64_t{value}) {}
    PropertyListValue(double value) : storage_(value) {}
    PropertyListValue(std::string value) : storage_(std::move(value)) {}
    PropertyListValue(const char* value) : storage_(std::string(value)) {}
    PropertyListValue(Data value) : storage_(std::move(value)) {}
    PropertyListValue(Array value) : storage_(std::move(value)) {}
    PropertyListValue(Dictionary value) : storage_(std::move(value)) {}

    const Storage& storage() const { return storage_; }

    template <typename T> bool holds() const { return std::holds_alternative<T>(storage_); }
    // The value if it is stored as exactly this kind, else null.
    template <typename T> const T* as() const { return std::get_if<T>(&storage_); }

    bool isNumber() const;

    // Conversions of any number, as a number object of the settings converts
    // itself; nothing for a value that is not a number.
    std::optional<double> doubleValue() const;
    // Reals are truncated toward zero (clamped to the integer range; NaN is 0).
    std::optional<std::int64_t> integerValue() const;
    // Zero is false, anything else true.
    std::optional<bool> boolValue() const;

    // The number as this kind only when that kind represents it exactly
    // (2.0 is the integer 2, 2.5 is no integer; 2^53 + 1 is no real).
    std::optional<double> exactDouble() const;
    std::optional<std::int64_t> exactInteger() const;
    // A non-negative whole number.
    std::optional<std::uint64_t> exactUnsignedInteger() const;

    // The same kind and the same value throughout, as the settings file would
    // hold it: reals are compared by their bits, except that every NaN is the
    // same (the file holds "nan" for each), and 0.0 differs from -0.0.
    bool isIdenticalTo(const PropertyListValue& other) const;

    friend bool operator==(const PropertyListValue& a, const PropertyListValue& b) {
        return a.storage_ == b.storage_;
    }

  private:
    Storage storage_;
};

} // namespace Dotfield
