#pragma once
// The application's one settings store. Every part of the application reads and
// writes its remembered values here under named keys; a read answers nothing
// for a missing key or a value of another kind, and the caller applies its own
// default. The store sits over the user's persistent settings or over an
// in-memory dictionary, and is safe to use from several threads over both.
//
// Over the user's settings a number of any kind reads as any kind of number (a
// Boolean true is the integer 1; a real is truncated toward zero when read as
// an integer). Over the in-memory dictionary a value reads back only as exactly
// the kind it was stored as.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "Dotfield/Platform/Settings/PersistentDefaults.hpp"
#include "Dotfield/Platform/Settings/PropertyListValue.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

// Three per-axis numbers that are not a position (velocities, gains, limits).
struct AxisValues {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    friend bool operator==(const AxisValues&, const AxisValues&) = default;
};

class UserDefaults {
  public:
    struct StandardDefaults {
        std::shared_ptr<PersistentDefaults> defaults;
    };
    struct CustomDictionary {};
    using BackingStorageType = std::variant<StandardDefaults, CustomDictionary>;

    explicit UserDefaults(BackingStorageType backingStore);
    // The store the application creates once, over the user's settings.
    static std::shared_ptr<UserDefaults> overStandardUserDefaults();

    const BackingStorageType& backingStore() const { return backingStore_; }

    // Scalars.
    std::optional<bool> boolForKey(const std::string& key) const;
    std::optional<double> doubleForKey(const std::string& key) const;
    std::optional<std::int64_t> integerForKey(const std::string& key) const;
    std::optional<std::string> stringForKey(const std::string& key) const;
    void setBool(bool value, const std::string& key);
    void setDouble(double value, const std::string& key);
    void setInteger(std::int64_t value, const std::string& key);
    // Nothing removes the key.
    void setString(const std::optional<std::string>& value, const std::string& key);

    // Axis triples: with separateKeys, three reals under key+"ForX", key+"ForY"
    // and key+"ForZ"; without, one coordinate dictionary under the key. The two
    // forms are independent entries. A partial triple reads as nothing.
    std::optional<AxisValues> axisValues(const std::string& key, bool separateKeys) const;
    void setAxisValues(const AxisValues& values, const std::string& key, bool separateKeys);

    // Composite values. Every write of nothing removes the key; list reads skip
    // the elements that do not decode and keep the others in order.
    std::optional<VeltranePatterns::Coordinate> coordinate(const std::string& key) const;
    void setCoordinate(const std::optional<VeltranePatterns::Coordinate>& value, const std::string& key);
    std::optional<std::vector<VeltranePatterns::Coordinate>> coordinateArray(const std::string& key) const;
    void setCoordinates(const std::optional<std::vector<VeltranePatterns::Coordinate>>& values,
                        const std::string& key);
    std::optional<std::vector<double>> doubleArray(const std::string& key) const;
    void setDoubleArray(const std::optional<std::vector<double>>& values, const std::string& key);
    std::optional<std::vector<std::int64_t>> integerArray(const std::string& key) const;
    void setIntegerArray(const std::optional<std::vector<std::int64_t>>& values, const std::string& key);

    // Lists of dictionaries, for the features whose values are stored so
    // (saved positions, solution wells) to encode and decode: the dictionaries
    // at the key, or nothing when there is no list there. Over the in-memory
    // dictionary a list holding anything but dictionaries reads as nothing; over
    // the user's settings such elements are left out.
    std::optional<std::vector<PropertyListValue::Dictionary>> dictionaryArray(const std::string& key) const;
    void setDictionaryArray(const std::optional<std::vector<PropertyListValue::Dictionary>>& values,
                            const std::string& key);

    // A list of values each stored as a dictionary: the elements that decode, in
    // their stored order. `decode` takes a dictionary and answers an optional
    // element; `encode` takes an element and answers its dictionary.
    template <typename Element, typename Decode>
    std::optional<std::vector<Element>> decodedList(const std::string& key, Decode decode) const {
        const auto dictionaries = dictionaryArray(key);
        if (!dictionaries) {
            return std::nullopt;
        }
        std::vector<Element> elements;
        elements.reserve(dictionaries->size());
        for (const PropertyListValue::Dictionary& dictionary : *dictionaries) {
            if (auto element = decode(&dictionary)) {
                elements.push_back(std::move(*element));
            }
        }
        return elements;
    }
    template <typename Element, typename Encode>
    void setEncodedList(const std::optional<std::vector<Element>>& values, const std::string& key,
                        Encode encode) {
        if (!values) {
            setDictionaryArray(std::nullopt, key);
            return;
        }
        std::vector<PropertyListValue::Dictionary> dictionaries;
        dictionaries.reserve(values->size());
        for (const Element& element : *values) {
            dictionaries.push_back(encode(element));
        }
        setDictionaryArray(dictionaries, key);
    }

    // The raw value at a key, and its replacement (nothing removes it).
    std::optional<PropertyListValue> object(const std::string& key) const;
    void setObject(const std::string& key, std::optional<PropertyListValue> value);

  private:
    bool overUserDefaults() const;

    const BackingStorageType backingStore_;
    mutable std::mutex internalMutex_;
    PropertyListValue::Dictionary internalDictionary_;
};

} // namespace Dotfield
