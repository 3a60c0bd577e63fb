#include "Dotfield/Printing/SolutionWells/SolutionReloadQuantity.hpp"

#include <string>

#include "Dotfield/Instrument/Settings/PropertyListNumbers.hpp"

namespace Dotfield {

PropertyListValue::Dictionary SolutionReloadQuantity::dictionaryRepresentation() const {
    return std::visit(
        [](const auto& quantity) -> PropertyListValue::Dictionary {
            using T = std::decay_t<decltype(quantity)>;
            if constexpr (std::is_same_v<T, Distance>) {
                return {{"type", "distance"}, {"value", quantity.microns}};
            } else if constexpr (std::is_same_v<T, Spots>) {
                return {{"type", "spots"}, {"value", unsignedNumber(quantity.spots)}};
            } else {
                return {{"type", "unlimited"}};
            }
        },
        case_);
}

std::optional<SolutionReloadQuantity>
SolutionReloadQuantity::fromDictionary(const PropertyListValue::Dictionary* dictionary) {
    if (dictionary == nullptr) {
        return std::nullopt;
    }
    const auto type = dictionary->find("type");
    if (type == dictionary->end() || !type->second.holds<std::string>()) {
        return std::nullopt;
    }
    const std::string& typeName = *type->second.as<std::string>();
    if (typeName == "unlimited") {
        return SolutionReloadQuantity(Unlimited{});
    }
    const auto value = dictionary->find("value");
    if (value == dictionary->end()) {
        return std::nullopt;
    }
    if (typeName == "distance") {
        if (const auto microns = value->second.doubleValue()) {
            return SolutionReloadQuantity(Distance{*microns});
        }
        return std::nullopt;
    }
    if (typeName == "spots") {
        if (const auto spots = value->second.exactUnsignedInteger()) {
            return SolutionReloadQuantity(Spots{*spots});
        }
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace Dotfield
