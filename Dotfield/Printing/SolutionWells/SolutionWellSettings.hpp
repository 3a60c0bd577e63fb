#pragma once
// The solution wells in the settings store: a list of their dictionaries under
// one key ("solutionWells").

#include <optional>
#include <string>
#include <vector>

#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWell.hpp"

namespace Dotfield {

// The wells that decode, in their stored order; nothing when no list is stored.
std::optional<std::vector<SolutionWell>> storedSolutionWells(const UserDefaults& store,
                                                             const std::string& key);
// Nothing removes the key.
void storeSolutionWells(UserDefaults& store, const std::optional<std::vector<SolutionWell>>& wells,
                        const std::string& key);

} // namespace Dotfield
