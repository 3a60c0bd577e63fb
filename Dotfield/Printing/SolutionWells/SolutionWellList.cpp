#include "Dotfield/Printing/SolutionWells/SolutionWellList.hpp"

#include <algorithm>
#include <unordered_set>

#include "Dotfield/Printing/SolutionWells/WellNames.hpp"

namespace Dotfield {

std::optional<SolutionWell> solutionWell(const std::vector<SolutionWell>& wells,
                                         const std::optional<std::string>& name) {
    if (!name) {
        return std::nullopt;
    }
    const auto found = std::find_if(wells.begin(), wells.end(), [&](const SolutionWell& well) {
        return wellNamesEqual(well.name, *name);
    });
    if (found == wells.end()) {
        return std::nullopt;
    }
    return *found;
}

std::vector<std::string> listOfRinseOrWasteWells(const std::vector<SolutionWell>& wells) {
    std::vector<std::string> titles{returnToSolutionWellTitle};
    titles.reserve(wells.size() + 1);
    for (const auto& well : wells) {
        titles.push_back(well.name);
    }
    return titles;
}

int rinseOrWasteIndex(const std::vector<std::string>& titles, const std::optional<std::string>& name) {
    if (!name) {
        return 0;
    }
    for (std::size_t index = 1; index < titles.size(); ++index) {
        if (wellNamesEqual(titles[index], *name)) {
            return static_cast<int>(index);
        }
    }
    return 0;
}

std::string nameForNewWell(const std::vector<SolutionWell>& wells) {
    std::unordered_set<std::string> names;
    for (const auto& well : wells) {
        names.insert(well.name);
    }
    for (std::size_t number = wells.size() + 1;; ++number) {
        std::string name = "Well " + std::to_string(number);
        if (!names.contains(name) && !solutionWell(wells, name)) {
            return name;
        }
    }
}

RenameResult renameSolutionWell(std::vector<SolutionWell>& wells, std::size_t row,
                                const std::string& newName) {
    if (row >= wells.size()) {
        return RenameResult::unchanged;
    }
    if (newName.empty()) {
        return RenameResult::emptyName;
    }
    const std::string oldName = wells[row].name;
    if (oldName == newName) {
        return RenameResult::unchanged;
    }
    for (std::size_t other = 0; other < wells.size(); ++other) {
        if (other != row && wellNamesEqual(wells[other].name, newName)) {
            return RenameResult::nameTaken;
        }
    }
    wells[row].name = newName;
    // With a namesake left (a list stored before names were kept apart), the
    // references still find a well under the old name.
    const bool oldNameLeft = solutionWell(wells, oldName).has_value();
    const auto follow = [&](std::optional<std::string>& reference) {
        if (!oldNameLeft && reference && wellNamesEqual(*reference, oldName)) {
            reference = newName;
        }
    };
    for (auto& well : wells) {
        follow(well.rinseWell);
        follow(well.wasteWell);
    }
    return RenameResult::renamed;
}

} // namespace Dotfield
