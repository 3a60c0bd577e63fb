#include "Dotfield/Instrument/Settings/CoordinateDictionary.hpp"

namespace Dotfield {

PropertyListValue::Dictionary dictionaryFromCoordinate(const VeltranePatterns::Coordinate& coordinate) {
    return {{"x", coordinate.x}, {"y", coordinate.y}, {"z", coordinate.z}};
}

std::optional<VeltranePatterns::Coordinate>
coordinateFromDictionary(const PropertyListValue::Dictionary* dictionary) {
    if (dictionary == nullptr) {
        return std::nullopt;
    }
    auto component = [&](const char* key) -> std::optional<double> {
        const auto found = dictionary->find(key);
        return found == dictionary->end() ? std::nullopt : found->second.doubleValue();
    };
    const auto x = component("x");
    const auto y = component("y");
    const auto z = component("z");
    if (!x || !y || !z) {
        return std::nullopt;
    }
    return VeltranePatterns::Coordinate(*x, *y, *z);
}

std::optional<VeltranePatterns::Coordinate> coordinateFromDictionary(const PropertyListValue* value) {
    return coordinateFromDictionary(value ? value->as<PropertyListValue::Dictionary>() : nullptr);
}

} // namespace Dotfield
