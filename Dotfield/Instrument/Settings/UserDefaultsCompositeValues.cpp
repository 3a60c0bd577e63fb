// The settings store's composite values: axis triples, coordinates, number
// lists, saved positions and solution wells.

#include "Dotfield/Application/SavedPosition.hpp"
#include "Dotfield/Instrument/Settings/CoordinateDictionary.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWell.hpp"

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

template <typename Element, typename Decode>
std::optional<std::vector<Element>> UserDefaults::dictionaryList(const std::string& key,
                                                                 Decode decode) const {
    const auto value = object(key);
    const auto* array = value ? value->as<PropertyListValue::Array>() : nullptr;
    if (array == nullptr) {
        return std::nullopt;
    }
    if (!overUserDefaults()) {
        // The in-memory dictionary holds lists of dictionaries only.
        for (const PropertyListValue& element : *array) {
            if (!element.holds<PropertyListValue::Dictionary>()) {
                return std::nullopt;
            }
        }
    }
    std::vector<Element> elements;
    elements.reserve(array->size());
    for (const PropertyListValue& element : *array) {
        if (auto decoded = decode(element.as<PropertyListValue::Dictionary>())) {
            elements.push_back(std::move(*decoded));
        }
    }
    return elements;
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
    return dictionaryList<Coordinate>(
        key, [](const PropertyListValue::Dictionary* element) { return coordinateFromDictionary(element); });
}

void UserDefaults::setCoordinates(const std::optional<std::vector<Coordinate>>& values,
                                  const std::string& key) {
    setObject(key, encodeList(values, [](const Coordinate& c) { return dictionaryFromCoordinate(c); }));
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

std::optional<std::vector<SavedPosition>> UserDefaults::savedPositions(const std::string& key) const {
    return dictionaryList<SavedPosition>(key, [](const PropertyListValue::Dictionary* element) {
        return SavedPosition::fromDictionary(element);
    });
}

void UserDefaults::setSavedPositions(const std::optional<std::vector<SavedPosition>>& values,
                                     const std::string& key) {
    setObject(key, encodeList(values, [](const SavedPosition& position) {
                  return position.dictionaryRepresentation();
              }));
}

std::optional<std::vector<SolutionWell>> UserDefaults::solutionWells(const std::string& key) const {
    return dictionaryList<SolutionWell>(key, [](const PropertyListValue::Dictionary* element) {
        return SolutionWell::fromDictionary(element);
    });
}

void UserDefaults::setSolutionWells(const std::optional<std::vector<SolutionWell>>& values,
                                    const std::string& key) {
    setObject(key,
              encodeList(values, [](const SolutionWell& well) { return well.dictionaryRepresentation(); }));
}

} // namespace Dotfield
