#pragma once
// The user's settings, kept between runs in a file. Safe to use from any
// thread. Writes change the values in memory at once and reach the disk a
// moment later (one file write for a burst of changes, such as the status poll
// saving its readings ten times a second), always atomically through a
// temporary file and a rename; flush() and destruction write what is pending,
// so a normal exit loses nothing. Storing a value a key already holds is no
// change and writes nothing.
//
// A file that cannot be read is reported in the log and moved aside (so nothing
// stored is overwritten), and the settings start empty. If it cannot even be
// moved aside, the settings still start empty but are never saved over it.

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "Dotfield/Platform/Clock.hpp"
#include "Dotfield/Platform/Settings/PropertyListValue.hpp"

namespace Dotfield {

class PersistentDefaults {
  public:
    static constexpr Clock::Duration defaultSaveDelay = std::chrono::seconds(1);

    // Loads the file (a missing file is an empty store).
    explicit PersistentDefaults(std::filesystem::path file, std::shared_ptr<Clock> clock = systemClock(),
                                Clock::Duration saveDelay = defaultSaveDelay);
    // Writes what is pending.
    ~PersistentDefaults();
    PersistentDefaults(const PersistentDefaults&) = delete;
    PersistentDefaults& operator=(const PersistentDefaults&) = delete;

    // The user's settings file in the user's configuration folder:
    // "$XDG_CONFIG_HOME/Dotfield/settings.plist" (else ~/.config/...).
    static std::optional<std::filesystem::path> standardFileLocation();
    // One store over the standard file for the whole process; in memory only
    // (with a log line) when no configuration folder is known.
    static std::shared_ptr<PersistentDefaults> standardUserDefaults();

    std::optional<PropertyListValue> object(const std::string& key) const;
    // Setting nothing removes the key.
    void setObject(const std::string& key, std::optional<PropertyListValue> value);

    // Writes pending changes now; true when the file holds every change.
    bool flush();

    const std::filesystem::path& file() const { return file_; }
    // Where an unreadable file was moved, if it was.
    std::optional<std::filesystem::path> setAsideFile() const;

  private:
    void load();
    void runSaver();
    bool writeSnapshot(const PropertyListValue::Dictionary& snapshot);

    const std::filesystem::path file_;
    const std::shared_ptr<Clock> clock_;
    const Clock::Duration saveDelay_;

    mutable std::mutex mutex_;
    PropertyListValue::Dictionary values_;
    std::optional<Clock::TimePoint> saveDue_;
    std::uint64_t changeCount_ = 0;
    std::uint64_t savedChangeCount_ = 0;
    bool savingAllowed_ = true;
    bool stopping_ = false;
    std::optional<std::filesystem::path> setAside_;
    std::string lastSaveFailure_;

    // Serialises file writes of the saver thread and flush().
    std::mutex writeMutex_;
    WakeSignal wake_;
    std::thread saver_;
};

} // namespace Dotfield
