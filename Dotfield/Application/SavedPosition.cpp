#include "Dotfield/Application/SavedPosition.hpp"

#include "Dotfield/Instrument/Settings/CoordinateDictionary.hpp"

namespace Dotfield {

PropertyListValue::Dictionary SavedPosition::dictionaryRepresentation() const {
    return {{"name", name}, {"coordinate", dictionaryFromCoordinate(coordinate)}};
}

std::optional<SavedPosition> SavedPosition::fromDictionary(const PropertyListValue::Dictionary* dictionary) {
    if (dictionary == nullptr) {
        return std::nullopt;
    }
    const auto name = dictionary->find("name");
    const auto coordinate = dictionary->find("coordinate");
    if (name == dictionary->end() || coordinate == dictionary->end() || !name->second.holds<std::string>()) {
        return std::nullopt;
    }
    const auto decoded = coordinateFromDictionary(&coordinate->second);
    if (!decoded) {
        return std::nullopt;
    }
    return SavedPosition{*name->second.as<std::string>(), *decoded};
}

} // namespace Dotfield
