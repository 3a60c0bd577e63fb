#pragma once
// Settings stores over a fresh file in the test output folder, with a clock the
// test moves by hand.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/Settings/PersistentDefaults.hpp"
#include "Dotfield/tests/Support/TestFiles.hpp"

namespace Dotfield::testing {

enum class Backing { userDefaults, inMemory };

inline std::string backingName(const ::testing::TestParamInfo<Backing>& info) {
    return info.param == Backing::userDefaults ? "OverUserDefaults" : "OverInMemoryDictionary";
}

// A store of the chosen backing; the user-defaults one writes to a file of its own.
class SettingsStoreFixture {
  public:
    SettingsStoreFixture(Backing backing, const std::string& suite) {
        if (backing == Backing::userDefaults) {
            file = freshTestFolder(suite) / "settings.plist";
            persistent = std::make_shared<PersistentDefaults>(file, clock);
            store = std::make_shared<UserDefaults>(UserDefaults::StandardDefaults{persistent});
        } else {
            store = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
        }
    }

    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    std::filesystem::path file;
    std::shared_ptr<PersistentDefaults> persistent;
    std::shared_ptr<UserDefaults> store;
};

} // namespace Dotfield::testing
