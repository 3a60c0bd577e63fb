#include "Dotfield/Printing/SolutionWells/SolutionInDispenserRecord.hpp"

#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Printing/SolutionWells/WellNames.hpp"

namespace Dotfield {

SolutionInDispenserRecord::SolutionInDispenserRecord(std::shared_ptr<UserDefaults> userDefaults)
    : userDefaults_(std::move(userDefaults)), name_(userDefaults_->stringForKey(settingsKey)) {}

std::optional<std::string> SolutionInDispenserRecord::name() const {
    std::lock_guard lock(mutex_);
    return name_;
}

void SolutionInDispenserRecord::set(std::optional<std::string> name) {
    {
        // The store is written under the lock so that two writers leave the
        // setting and the record naming the same well.
        std::lock_guard lock(mutex_);
        name_ = std::move(name);
        userDefaults_->setString(name_, settingsKey);
    }
    changed();
}

bool SolutionInDispenserRecord::rename(const std::string& oldName, const std::string& newName) {
    {
        std::lock_guard lock(mutex_);
        if (!name_ || !wellNamesEqual(*name_, oldName)) {
            return false;
        }
        name_ = newName;
        userDefaults_->setString(name_, settingsKey);
    }
    changed();
    return true;
}

void SolutionInDispenserRecord::setObserver(std::function<void()> observer) {
    std::lock_guard lock(mutex_);
    observer_ = std::move(observer);
}

void SolutionInDispenserRecord::changed() {
    std::function<void()> observer;
    {
        std::lock_guard lock(mutex_);
        observer = observer_;
    }
    if (observer) {
        observer();
    }
}

} // namespace Dotfield
