#include "Dotfield/Printing/SolutionWells/SolutionWell.hpp"

#include "Dotfield/Instrument/Settings/PropertyListNumbers.hpp"
#include "Dotfield/Printing/SolutionWells/MicrotiterPlates.hpp"

namespace Dotfield {

namespace {

using Zovudidova::TimeUnit;

const PropertyListValue* entry(const PropertyListValue::Dictionary& dictionary, const char* key) {
    const auto found = dictionary.find(key);
    return found == dictionary.end() ? nullptr : &found->second;
}

const PropertyListValue::Dictionary* dictionaryEntry(const PropertyListValue::Dictionary& dictionary,
                                                     const char* key) {
    const PropertyListValue* value = entry(dictionary, key);
    return value ? value->as<PropertyListValue::Dictionary>() : nullptr;
}

// A non-negative whole number at the key, or nothing.
std::optional<std::uint64_t> unsignedEntry(const PropertyListValue::Dictionary& dictionary, const char* key) {
    const PropertyListValue* value = entry(dictionary, key);
    return value ? value->exactUnsignedInteger() : std::nullopt;
}

// Any number at the key, as a real, or nothing.
std::optional<double> numberEntry(const PropertyListValue::Dictionary& dictionary, const char* key) {
    const PropertyListValue* value = entry(dictionary, key);
    return value ? value->doubleValue() : std::nullopt;
}

std::optional<std::string> optionalText(const PropertyListValue::Dictionary& dictionary, const char* key) {
    const PropertyListValue* value = entry(dictionary, key);
    if (value == nullptr || !value->holds<std::string>()) {
        return std::nullopt;
    }
    return *value->as<std::string>();
}

} // namespace

PropertyListValue::Dictionary SolutionWell::dictionaryRepresentation() const {
    PropertyListValue::Dictionary dictionary{
        {"name", name},
        {"location", location.dictionaryRepresentation()},
        {"plateNumber", unsignedNumber(plateNumber)},
        {"reloadQuantity", reloadQuantity.dictionaryRepresentation()},
        {"rinseCycles", unsignedNumber(rinseCycles)},
        {"reloadTimeInSeconds", reloadTime.value(TimeUnit::seconds)},
        {"secondsToEmpty", timeToEmpty.value(TimeUnit::seconds)},
    };
    if (rinseWell) {
        dictionary.emplace("rinseWell", *rinseWell);
    }
    if (wasteWell) {
        dictionary.emplace("wasteWell", *wasteWell);
    }
    return dictionary;
}

std::optional<SolutionWell> SolutionWell::fromDictionary(const PropertyListValue::Dictionary* dictionary) {
    if (dictionary == nullptr) {
        return std::nullopt;
    }
    const auto name = optionalText(*dictionary, "name");
    if (!name) {
        return std::nullopt;
    }
    const auto location = SolutionLocation::fromDictionary(dictionaryEntry(*dictionary, "location"));
    if (!location) {
        return std::nullopt;
    }
    const auto plate = unsignedEntry(*dictionary, "plateNumber");
    if (!plate) {
        return std::nullopt;
    }
    const auto reloadQuantity =
        SolutionReloadQuantity::fromDictionary(dictionaryEntry(*dictionary, "reloadQuantity"));
    if (!reloadQuantity) {
        return std::nullopt;
    }
    const auto cycles = unsignedEntry(*dictionary, "rinseCycles");
    if (!cycles) {
        return std::nullopt;
    }
    const auto reloadSeconds = numberEntry(*dictionary, "reloadTimeInSeconds");
    if (!reloadSeconds) {
        return std::nullopt;
    }
    const auto emptySeconds = numberEntry(*dictionary, "secondsToEmpty");
    if (!emptySeconds) {
        return std::nullopt;
    }
    return SolutionWell{*name,
                        *location,
                        *plate,
                        *reloadQuantity,
                        Zovudidova::seconds(*reloadSeconds),
                        *cycles,
                        optionalText(*dictionary, "rinseWell"),
                        optionalText(*dictionary, "wasteWell"),
                        Zovudidova::seconds(*emptySeconds)};
}

std::optional<VeltranePatterns::Coordinate>
SolutionWell::wellCoordinate(const SolutionLocation& location, const VeltranePatterns::Coordinate& a1) {
    return std::visit(
        [&](const auto& well) -> std::optional<VeltranePatterns::Coordinate> {
            using T = std::decay_t<decltype(well)>;
            if constexpr (std::is_same_v<T, SolutionLocation::CustomLocation>) {
                return well.coordinate;
            } else {
                const MicrotiterPlate& plate = std::is_same_v<T, SolutionLocation::MicrotiterPlate96Well>
                                                   ? MicrotiterPlate::wells96()
                                                   : MicrotiterPlate::wells384();
                if (!plate.contains(well.row, well.column)) {
                    return std::nullopt;
                }
                const double column = static_cast<double>(MicrotiterPlate::letterIndex(well.column));
                const double row = static_cast<double>(well.row - 1);
                return VeltranePatterns::Coordinate(a1.x - column * plate.pitch, a1.y + row * plate.pitch, a1.z);
            }
        },
        location.location());
}

} // namespace Dotfield
