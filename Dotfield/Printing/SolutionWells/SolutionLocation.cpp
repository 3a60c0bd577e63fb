#include "Dotfield/Printing/SolutionWells/SolutionLocation.hpp"

#include "Dotfield/Instrument/Settings/CoordinateDictionary.hpp"
#include "Dotfield/Instrument/Settings/PropertyListNumbers.hpp"

namespace Dotfield {

namespace {

const PropertyListValue* entry(const PropertyListValue::Dictionary& dictionary, const char* key) {
    const auto found = dictionary.find(key);
    return found == dictionary.end() ? nullptr : &found->second;
}

template <typename PlateWell>
std::optional<SolutionLocation> plateWellFromDictionary(const PropertyListValue::Dictionary& dictionary) {
    const PropertyListValue* row = entry(dictionary, "row");
    const PropertyListValue* column = entry(dictionary, "column");
    if (row == nullptr || column == nullptr || !column->holds<std::string>()) {
        return std::nullopt;
    }
    const auto rowNumber = row->exactUnsignedInteger();
    if (!rowNumber) {
        return std::nullopt;
    }
    return SolutionLocation(PlateWell{*rowNumber, *column->as<std::string>()});
}

} // namespace

PropertyListValue::Dictionary SolutionLocation::dictionaryRepresentation() const {
    return std::visit(
        [](const auto& location) -> PropertyListValue::Dictionary {
            using T = std::decay_t<decltype(location)>;
            if constexpr (std::is_same_v<T, CustomLocation>) {
                return {{"type", "customlocation"},
                        {"coordinate", dictionaryFromCoordinate(location.coordinate)}};
            } else {
                const char* type = std::is_same_v<T, MicrotiterPlate96Well> ? "microtiterplate96well"
                                                                            : "microtiterplate384well";
                return {{"type", type}, {"row", unsignedNumber(location.row)}, {"column", location.column}};
            }
        },
        case_);
}

std::optional<SolutionLocation>
SolutionLocation::fromDictionary(const PropertyListValue::Dictionary* dictionary) {
    if (dictionary == nullptr) {
        return std::nullopt;
    }
    const PropertyListValue* type = entry(*dictionary, "type");
    if (type == nullptr || !type->holds<std::string>()) {
        return std::nullopt;
    }
    const std::string& typeName = *type->as<std::string>();
    if (typeName == "customlocation") {
        const auto coordinate = coordinateFromDictionary(entry(*dictionary, "coordinate"));
        if (!coordinate) {
            return std::nullopt;
        }
        return SolutionLocation(CustomLocation{*coordinate});
    }
    if (typeName == "microtiterplate96well") {
        return plateWellFromDictionary<MicrotiterPlate96Well>(*dictionary);
    }
    if (typeName == "microtiterplate384well") {
        return plateWellFromDictionary<MicrotiterPlate384Well>(*dictionary);
    }
    return std::nullopt;
}

} // namespace Dotfield
