#pragma once
// The operator's saved positions in the settings store: a list of their
// dictionaries under one key ("savedPositions").

#include <optional>
#include <string>
#include <vector>

#include "Dotfield/Application/SavedPosition.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"

namespace Dotfield {

// The positions that decode, in their stored order; nothing when no list is stored.
std::optional<std::vector<SavedPosition>> storedSavedPositions(const UserDefaults& store,
                                                               const std::string& key);
// Nothing removes the key.
void storeSavedPositions(UserDefaults& store, const std::optional<std::vector<SavedPosition>>& positions,
                         const std::string& key);

} // namespace Dotfield
