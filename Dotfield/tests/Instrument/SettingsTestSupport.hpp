#pragma once
// Settings stores over a fresh file in the test output folder, with a clock the
// test moves by hand.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/Settings/PersistentDefaults.hpp"

namespace Dotfield::testing {

inline std::filesystem::path freshTestFolder(const std::string& suite) {
    const char* output = std::getenv("DOTFIELD_TEST_OUTPUT");
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name) {
        if (c == '/') {
            c = '_';
        }
    }
    const auto folder =
        std::filesystem::path(output ? output : std::filesystem::temp_directory_path().string()) / suite /
        name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

inline std::string fileText(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

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
