#include "Dotfield/Platform/Settings/PersistentDefaults.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "Dotfield/Platform/Files/StaleTemporaryFiles.hpp"
#include "Dotfield/Platform/Files/TextFiles.hpp"
#include "Dotfield/Platform/Log.hpp"
#include "Dotfield/Platform/Settings/PropertyListFormat.hpp"
#include "Dotfield/Platform/UserDirectories.hpp"

namespace Dotfield {

namespace fs = std::filesystem;

namespace {

// Settings files are small; a far larger file is not one of ours.
constexpr std::uintmax_t largestReadableFile = 64ull * 1024 * 1024;

std::string systemError(int error) {
    return std::strerror(error);
}

// Reads the whole file; throws std::runtime_error with the reason.
std::string readWholeFile(const fs::path& file) {
    std::error_code error;
    const auto size = fs::file_size(file, error);
    if (error) {
        throw std::runtime_error(error.message());
    }
    if (size > largestReadableFile) {
        throw std::runtime_error("the file is too large to be a settings file");
    }
    std::ifstream stream(file, std::ios::binary);
    if (!stream) {
        throw std::runtime_error(systemError(errno));
    }
    std::ostringstream contents;
    contents << stream.rdbuf();
    if (stream.bad()) {
        throw std::runtime_error("read error");
    }
    return contents.str();
}

std::string timestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
    return text;
}

// Creates the folder if needed and replaces the file atomically. Answers the
// failure's reason, or nothing.
std::optional<std::string> writeAtomically(const fs::path& target, const std::string& contents) {
    std::error_code error;
    fs::create_directories(target.parent_path(), error);
    if (error) {
        return "cannot create " + target.parent_path().string() + ": " + error.message();
    }
    try {
        writeFileAtomically(target, contents);
    } catch (const fs::filesystem_error& failure) {
        return std::string(failure.what());
    }
    return std::nullopt;
}

} // namespace

PersistentDefaults::PersistentDefaults(fs::path file, std::shared_ptr<Clock> clock, Clock::Duration saveDelay)
    : file_(std::move(file)), clock_(std::move(clock)), saveDelay_(saveDelay) {
    // What a run killed mid-write left beside the settings.
    removeStaleTemporaryFiles(file_);
    load();
    saver_ = std::thread([this] { runSaver(); });
}

PersistentDefaults::~PersistentDefaults() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.raise();
    saver_.join();
    flush();
}

std::optional<fs::path> PersistentDefaults::standardFileLocation() {
    const auto folder = userConfigurationDirectory();
    if (!folder) {
        return std::nullopt;
    }
    return *folder / "Dotfield" / "settings.plist";
}

std::shared_ptr<PersistentDefaults> PersistentDefaults::standardUserDefaults() {
    static std::once_flag created;
    static std::shared_ptr<PersistentDefaults> standard;
    std::call_once(created, [] {
        auto location = standardFileLocation();
        if (!location) {
            writeLogLine(
                "No configuration folder is known (neither XDG_CONFIG_HOME nor HOME is set); settings "
                "will not be kept after this run");
        }
        standard = std::make_shared<PersistentDefaults>(location.value_or(fs::path()));
    });
    return standard;
}

void PersistentDefaults::load() {
    if (file_.empty()) {
        savingAllowed_ = false;
        return;
    }
    std::error_code error;
    const auto status = fs::status(file_, error);
    if (status.type() == fs::file_type::not_found) {
        return;
    }
    std::string reason;
    try {
        if (error) {
            throw std::runtime_error(error.message());
        }
        if (!fs::is_regular_file(status)) {
            throw std::runtime_error("not a regular file");
        }
        values_ = readPropertyList(readWholeFile(file_));
        return;
    } catch (const std::exception& failure) {
        reason = failure.what();
    }

    const fs::path aside = file_.string() + ".unreadable-" + timestamp();
    fs::rename(file_, aside, error);
    if (error) {
        savingAllowed_ = false;
        writeLogLine("Settings file " + file_.string() + " could not be read (" + reason +
                     ") nor moved aside (" + error.message() +
                     "); starting with empty settings, which will not be saved over it");
        return;
    }
    setAside_ = aside;
    writeLogLine("Settings file " + file_.string() + " could not be read (" + reason + "); it was kept as " +
                 aside.string() + " and the settings start empty");
}

std::optional<PropertyListValue> PersistentDefaults::object(const std::string& key) const {
    std::lock_guard lock(mutex_);
    const auto found = values_.find(key);
    if (found == values_.end()) {
        return std::nullopt;
    }
    return found->second;
}

void PersistentDefaults::setObject(const std::string& key, std::optional<PropertyListValue> value) {
    bool scheduled = false;
    {
        std::lock_guard lock(mutex_);
        if (value) {
            const auto found = values_.find(key);
            if (found != values_.end() && found->second.isIdenticalTo(*value)) {
                // Nothing changes, so the file is not written again (the
                // status poll stores its statistics every tick, mostly
                // unchanged).
                return;
            }
            values_.insert_or_assign(key, std::move(*value));
        } else if (values_.erase(key) == 0) {
            return;
        }
        ++changeCount_;
        if (!saveDue_) {
            saveDue_ = clock_->now() + saveDelay_;
            scheduled = true;
        }
    }
    if (scheduled) {
        wake_.raise();
    }
}

void PersistentDefaults::runSaver() {
    for (;;) {
        Clock::TimePoint deadline = Clock::TimePoint::max();
        {
            std::lock_guard lock(mutex_);
            if (stopping_) {
                return;
            }
            if (saveDue_) {
                deadline = *saveDue_;
            }
        }
        if (deadline != Clock::TimePoint::max() && clock_->now() >= deadline) {
            flush();
            continue;
        }
        clock_->waitUntil(deadline, wake_);
    }
}

bool PersistentDefaults::flush() {
    std::lock_guard writeLock(writeMutex_);
    PropertyListValue::Dictionary snapshot;
    std::uint64_t snapshotChange = 0;
    {
        std::lock_guard lock(mutex_);
        saveDue_.reset();
        if (changeCount_ == savedChangeCount_) {
            return true;
        }
        if (!savingAllowed_) {
            return false;
        }
        snapshot = values_;
        snapshotChange = changeCount_;
    }
    const bool written = writeSnapshot(snapshot);
    std::lock_guard lock(mutex_);
    if (written) {
        savedChangeCount_ = snapshotChange;
    } else if (!saveDue_ && !stopping_) {
        // Try again later rather than lose the change.
        saveDue_ = clock_->now() + saveDelay_;
    }
    return written && savedChangeCount_ == changeCount_;
}

bool PersistentDefaults::writeSnapshot(const PropertyListValue::Dictionary& snapshot) {
    // Called with writeMutex_ held, which also guards lastSaveFailure_.
    if (const auto failure = writeAtomically(file_, writePropertyList(snapshot))) {
        // A failure that repeats on every retry is logged once.
        if (*failure != lastSaveFailure_) {
            writeLogLine("Settings could not be saved to " + file_.string() + ": " + *failure);
            lastSaveFailure_ = *failure;
        }
        return false;
    }
    lastSaveFailure_.clear();
    return true;
}

std::optional<fs::path> PersistentDefaults::setAsideFile() const {
    std::lock_guard lock(mutex_);
    return setAside_;
}

} // namespace Dotfield
