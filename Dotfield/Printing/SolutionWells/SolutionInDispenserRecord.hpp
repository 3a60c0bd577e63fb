#pragma once
// The record of the solution now in the dispenser: the name of its well, or
// none, kept under "solutionInDispenser" (absent: none) so that it survives a
// restart. The loading sequences write it on the robot's queue while the
// window reads and renames it on the main thread, so every access is locked.
// The observer is told after each change, on the thread that made it.

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace Dotfield {

class UserDefaults;

class SolutionInDispenserRecord {
  public:
    static constexpr const char* settingsKey = "solutionInDispenser";

    // Reads the stored name without writing it back.
    explicit SolutionInDispenserRecord(std::shared_ptr<UserDefaults> userDefaults);

    std::optional<std::string> name() const;
    // Records and stores the name (none removes the setting), then tells the observer.
    void set(std::optional<std::string> name);
    // When the record names `oldName` (canonically), it names `newName` from
    // now on, stored; answers whether it did.
    bool rename(const std::string& oldName, const std::string& newName);

    void setObserver(std::function<void()> observer);

  private:
    void changed();

    const std::shared_ptr<UserDefaults> userDefaults_;
    mutable std::mutex mutex_;
    std::optional<std::string> name_;
    std::function<void()> observer_;
};

} // namespace Dotfield
