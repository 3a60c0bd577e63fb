// The settings store's composite values: axis triples, coordinates, number
// lists and lists of dictionaries.

#include "Dotfield/Instrument/Settings/CoordinateDictionary.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"

namespace Dotfield {

using VeltranePatterns::Coordinate;

namespace {

const char* const axisSuffixes[3] = {"ForX", "ForY", "ForZ"};

template <typename Element, typename Encode>
std::optional<PropertyListValue> encodeList(const std::optional<std::vector<Element>>& values,
                                            Encode encode) {
    if (!values) {
        return std::nullopt;
    }
    PropertyListValue::Array array;
    array.reserve(values->size());
    for (const Element& element : *values) {
        array.emplace_back(encode(element));
    }
    return PropertyListValue(std::move(array));
}

// A number list: over the user's settings each element that the kind holds
// exactly is taken and the others skipped; over the in-memory dictionary the
// list must consist of exactly that kind.
template <typename Number, typename Exact>
std::optional<std::vector<Number>> numberList(const std::optional<PropertyListValue>& value,
                                              bool overUserDefaults, Exact exact) {
    const auto* array = value ? value->as<PropertyListValue::Array>() : nullptr;
    if (array == nullptr) {
        return std::nullopt;
    }
    std::vector<Number> numbers;
    numbers.reserve(array->size());
    for (const PropertyListValue& element : *array) {
        if (overUserDefaults) {
            if (const auto number = exact(element)) {
                numbers.push_back(*number);
            }
        } else if (const Number* stored = element.as<Number>()) {
            numbers.push_back(*stored);
        } else {
            return std::nullopt;
        }
    }
    return numbers;
}

} // namespace

std::optional<std::vector<PropertyListValue::Dictionary>>
UserDefaults::dictionaryArray(const std::string& key) const {
    const auto value = object(key);
    const auto* array = value ? value->as<PropertyListValue::Array>() : nullptr;
    if (array == nullptr) {
        return std::nullopt;
    }
    std::vector<PropertyListValue::Dictionary> dictionaries;
    dictionaries.reserve(array->size());
    for (const PropertyListValue& element : *array) {
        if (const auto* dictionary = element.as<PropertyListValue::Dictionary>()) {
            dictionaries.push_back(*dictionary);
        } else if (!overUserDefaults()) {
            // The in-memory dictionary holds lists of dictionaries only.
            return std::nullopt;
        }
    }
    return dictionaries;
}

void UserDefaults::setDictionaryArray(const std::optional<std::vector<PropertyListValue::Dictionary>>& values,
                                      const std::string& key) {
    setObject(key,
              encodeList(values, [](const PropertyListValue::Dictionary& dictionary) { return dictionary; }));
}

std::optional<AxisValues> UserDefaults::axisValues(const std::string& key, bool separateKeys) const {
    if (separateKeys) {
        // The scalar read rules apply to each of the three entries.
        double components[3];
        for (int axis = 0; axis < 3; ++axis) {
            const auto number = doubleForKey(key + axisSuffixes[axis]);
            if (!number) {
                return std::nullopt;
            }
            components[axis] = *number;
        }
        return AxisValues{components[0], components[1], components[2]};
    }
    const auto value = object(key);
    const auto* dictionary = value ? value->as<PropertyListValue::Dictionary>() : nullptr;
    if (dictionary == nullptr) {
        return std::nullopt;
    }
    double components[3];
    const char* const names[3] = {"x", "y", "z"};
    for (int axis = 0; axis < 3; ++axis) {
        const auto found = dictionary->find(names[axis]);
        if (found == dictionary->end()) {
            return std::nullopt;
        }
        // Over the user's settings the number must be one a real holds exactly.
        const auto number = overUserDefaults() ? found->second.exactDouble() : found->second.doubleValue();
        if (!number) {
            return std::nullopt;
        }
        components[axis] = *number;
    }
    return AxisValues{components[0], components[1], components[2]};
}

void UserDefaults::setAxisValues(const AxisValues& values, const std::string& key, bool separateKeys) {
    if (separateKeys) {
        setDouble(values.x, key + axisSuffixes[0]);
        setDouble(values.y, key + axisSuffixes[1]);
        setDouble(values.z, key + axisSuffixes[2]);
        return;
    }
    setObject(key, PropertyListValue(dictionaryFromCoordinate(Coordinate(values.x, values.y, values.z))));
}

std::optional<Coordinate> UserDefaults::coordinate(const std::string& key) const {
    const auto value = object(key);
    return coordinateFromDictionary(value ? &*value : nullptr);
}

void UserDefaults::setCoordinate(const std::optional<Coordinate>& value, const std::string& key) {
    setObject(key, value ? std::optional<PropertyListValue>(dictionaryFromCoordinate(*value)) : std::nullopt);
}

std::optional<std::vector<Coordinate>> UserDefaults::coordinateArray(const std::string& key) const {
    return decodedList<Coordinate>(
        key, [](const PropertyListValue::Dictionary* element) { return coordinateFromDictionary(element); });
}

void UserDefaults::setCoordinates(const std::optional<std::vector<Coordinate>>& values,
                                  const std::string& key) {
    setEncodedList(values, key, [](const Coordinate& c) { return dictionaryFromCoordinate(c); });
}

std::optional<std::vector<double>> UserDefaults::doubleArray(const std::string& key) const {
    return numberList<double>(object(key), overUserDefaults(),
                              [](const PropertyListValue& element) { return element.exactDouble(); });
}

void UserDefaults::setDoubleArray(const std::optional<std::vector<double>>& values, const std::string& key) {
    setObject(key, encodeList(values, [](double number) { return number; }));
}

std::optional<std::vector<std::int64_t>> UserDefaults::integerArray(const std::string& key) const {
    return numberList<std::int64_t>(object(key), overUserDefaults(),
                                    [](const PropertyListValue& element) { return element.exactInteger(); });
}

void UserDefaults::setIntegerArray(const std::optional<std::vector<std::int64_t>>& values,
                                   const std::string& key) {
    setObject(key, encodeList(values, [](std::int64_t number) { return number; }));
}

} // namespace Dotfield
