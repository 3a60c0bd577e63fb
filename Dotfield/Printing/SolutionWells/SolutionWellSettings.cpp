#include "Dotfield/Printing/SolutionWells/SolutionWellSettings.hpp"

namespace Dotfield {

std::optional<std::vector<SolutionWell>> storedSolutionWells(const UserDefaults& store,
                                                             const std::string& key) {
    return store.decodedList<SolutionWell>(key, [](const PropertyListValue::Dictionary* element) {
        return SolutionWell::fromDictionary(element);
    });
}

void storeSolutionWells(UserDefaults& store, const std::optional<std::vector<SolutionWell>>& wells,
                        const std::string& key) {
    store.setEncodedList(wells, key,
                         [](const SolutionWell& well) { return well.dictionaryRepresentation(); });
}

} // namespace Dotfield
