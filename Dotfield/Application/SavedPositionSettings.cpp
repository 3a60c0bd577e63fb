#include "Dotfield/Application/SavedPositionSettings.hpp"

namespace Dotfield {

std::optional<std::vector<SavedPosition>> storedSavedPositions(const UserDefaults& store,
                                                               const std::string& key) {
    return store.decodedList<SavedPosition>(key, [](const PropertyListValue::Dictionary* element) {
        return SavedPosition::fromDictionary(element);
    });
}

void storeSavedPositions(UserDefaults& store, const std::optional<std::vector<SavedPosition>>& positions,
                         const std::string& key) {
    store.setEncodedList(positions, key,
                         [](const SavedPosition& position) { return position.dictionaryRepresentation(); });
}

} // namespace Dotfield
