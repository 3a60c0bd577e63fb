#pragma once
// Operations on the list of solution wells as the window keeps it (in table
// order): finding a well by name, the titles of the rinse-well and waste-well
// pop-ups, the name of a new well, and renaming a well together with every
// reference to it.

#include <optional>
#include <string>
#include <vector>

#include "Dotfield/Printing/SolutionWells/SolutionWell.hpp"

namespace Dotfield {

// The first title of the rinse-well and waste-well pop-ups: no separate well.
inline constexpr const char* returnToSolutionWellTitle = "Return to solution well";

// A copy of the first well whose name equals the name (canonically
// equivalent names are equal); nothing without a name or a match.
std::optional<SolutionWell> solutionWell(const std::vector<SolutionWell>& wells,
                                         const std::optional<std::string>& name);

// "Return to solution well", then the wells' names in order.
std::vector<std::string> listOfRinseOrWasteWells(const std::vector<SolutionWell>& wells);

// The index of the name in the pop-up titles, 0 when there is no name or it
// matches no title after the first.
int rinseOrWasteIndex(const std::vector<std::string>& titles, const std::optional<std::string>& name);

// "Well n" for the first n from the number of wells plus one that no well has.
std::string nameForNewWell(const std::vector<SolutionWell>& wells);

enum class RenameResult { renamed, unchanged, emptyName, nameTaken };

// Gives well `row` the new name and points every rinse-well and waste-well
// reference to its old name at the new one. An empty name, or one that
// another well has, is refused and nothing changes.
RenameResult renameSolutionWell(std::vector<SolutionWell>& wells, std::size_t row,
                                const std::string& newName);

} // namespace Dotfield
