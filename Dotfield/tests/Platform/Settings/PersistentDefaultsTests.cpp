#include "Dotfield/Application/SavedPositionSettings.hpp"
#include "Dotfield/Platform/Settings/PersistentDefaults.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/tests/Support/SettingsTestSupport.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

namespace Dotfield {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class PersistentDefaultsTest : public ::testing::Test {
  protected:
    fs::path folder = testing::freshTestFolder("PersistentDefaults");
    fs::path file = folder / "Dotfield" / "settings.plist";
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();

    std::unique_ptr<PersistentDefaults> open() { return std::make_unique<PersistentDefaults>(file, clock); }

    // Waits for the saver thread to write the file.
    bool fileAppears() {
        return Dotfield::Testing::eventually([&] { return fs::exists(file); });
    }
    // Waits until the saver thread sleeps on the clock with nothing due before
    // the clock moves: it has done all the time given so far asks of it.
    bool saverAsleep() {
        return Dotfield::Testing::eventually([&] { return clock->pendingWaitCount() == 1; });
    }

    std::size_t entriesInFolder() const {
        std::size_t count = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(file.parent_path())) {
            ++count;
        }
        return count;
    }
};

// A run killed between creating the temporary file of a write and renaming
// it leaves it behind; the next start removes it, and only it.
TEST_F(PersistentDefaultsTest, TheStartRemovesTemporaryFilesOfKilledWritesAndNothingElse) {
    fs::create_directories(file.parent_path());
    const auto writeFile = [&](const std::string& name, std::size_t size, std::chrono::minutes age) {
        const fs::path path = file.parent_path() / name;
        testing::writeText(path, std::string(size, 'x'));
        fs::last_write_time(path, fs::file_time_type::clock::now() - age);
        return path;
    };
    const fs::path stale = writeFile("settings.plist.Ab3xY9", 256 * 1024, 10min);
    const struct {
        const char* name;
        std::chrono::minutes age;
    } kept[] = {
        {"settings.plist.Zz9aa0", 0min},  // may be another instance's write under way
        {"settings.plist.bak", 10min},    // not a temporary file of ours
        {"settings.plist.Ab3xY9x", 10min},
        {"other.plist.Ab3xY9", 10min},
    };
    for (const auto& k : kept) {
        writeFile(k.name, 1, k.age);
    }
    auto defaults = open();
    EXPECT_FALSE(fs::exists(stale));
    for (const auto& k : kept) {
        EXPECT_TRUE(fs::exists(file.parent_path() / k.name)) << k.name;
    }
}

TEST_F(PersistentDefaultsTest, ValuesSurviveARestartWithTheirTypes) {
    {
        auto defaults = open();
        UserDefaults store(UserDefaults::StandardDefaults{std::move(defaults)});
        store.setBool(true, "shouldSlowSurfaceApproach");
        store.setInteger(3, "rinseCycles");
        store.setDouble(2.7, "safePickupHeight");
        store.setString(std::string("DropwrightIIb"), "productType");
        store.setAxisValues({1, 2, 3}, "manualMovementVelocity", true);
        storeSavedPositions(store, std::vector<SavedPosition>{{"Untitled", {1, 2, 3}}}, "savedPositions");
    } // Destruction writes what is pending.
    UserDefaults reopened(UserDefaults::StandardDefaults{open()});
    EXPECT_EQ(reopened.object("shouldSlowSurfaceApproach"), PropertyListValue(true));
    EXPECT_EQ(reopened.object("rinseCycles"), PropertyListValue(std::int64_t{3}));
    EXPECT_EQ(reopened.object("safePickupHeight"), PropertyListValue(2.7));
    EXPECT_EQ(reopened.integerForKey("safePickupHeight"), 2);
    EXPECT_EQ(reopened.stringForKey("productType"), "DropwrightIIb");
    EXPECT_EQ(reopened.axisValues("manualMovementVelocity", true), (AxisValues{1, 2, 3}));
    EXPECT_EQ(storedSavedPositions(reopened, "savedPositions"),
              (std::vector<SavedPosition>{{"Untitled", {1, 2, 3}}}));
}

TEST_F(PersistentDefaultsTest, ABurstOfWritesReachesTheDiskOnceAfterTheDelay) {
    auto defaults = open();
    for (int i = 0; i < 100; ++i) {
        defaults->setObject("standardDeviationArray", PropertyListValue(PropertyListValue::Array{i}));
    }
    ASSERT_TRUE(saverAsleep());
    EXPECT_FALSE(fs::exists(file)) << "no disk write before the delay";
    clock->advance(PersistentDefaults::defaultSaveDelay);
    ASSERT_TRUE(fileAppears());
    EXPECT_NE(testing::fileText(file).find("<integer>99</integer>"), std::string::npos);
    EXPECT_EQ(entriesInFolder(), 1U) << "no temporary file is left behind";
}

TEST_F(PersistentDefaultsTest, FlushWritesAtOnce) {
    auto defaults = open();
    defaults->setObject("minHumidity", PropertyListValue(40.0));
    EXPECT_TRUE(defaults->flush());
    EXPECT_NE(testing::fileText(file).find("<key>minHumidity</key>"), std::string::npos);
    defaults->setObject("minHumidity", std::nullopt);
    EXPECT_TRUE(defaults->flush());
    EXPECT_EQ(testing::fileText(file).find("minHumidity"), std::string::npos);
}

TEST_F(PersistentDefaultsTest, StoringWhatAKeyAlreadyHoldsWritesNothing) {
    const std::vector<std::pair<std::string, PropertyListValue>> values{
        {"averageForNoiseCalculationArray", PropertyListValue::Array{1034.5, 1.0 / 3.0, 7.25}},
        {"notANumber", std::numeric_limits<double>::quiet_NaN()},
        {"position", PropertyListValue::Dictionary{{"x", 1.5}, {"y", -2.0}, {"z", 0.0}}},
        {"productType", "DropwrightIIb"},
        {"rinseCycles", 3},
    };
    auto defaults = open();
    for (const auto& [key, value] : values) {
        defaults->setObject(key, value);
    }
    ASSERT_TRUE(defaults->flush());
    fs::remove(file);
    for (const auto& [key, value] : values) {
        defaults->setObject(key, value);
    }
    // Every NaN is written as the same text, whatever its sign and payload.
    defaults->setObject("notANumber", -std::numeric_limits<double>::quiet_NaN());
    defaults->setObject("notANumber", std::nan("7"));
    EXPECT_TRUE(defaults->flush());
    clock->advance(PersistentDefaults::defaultSaveDelay);
    ASSERT_TRUE(saverAsleep());
    EXPECT_FALSE(fs::exists(file)) << "the same values were written again";

    // A value of another kind, or a different bit of a real, is a change.
    for (const auto& changed : {PropertyListValue(3.0), PropertyListValue(true)}) {
        defaults->setObject("rinseCycles", changed);
        EXPECT_TRUE(defaults->flush());
        ASSERT_TRUE(fs::exists(file));
        fs::remove(file);
    }
    defaults->setObject("position", PropertyListValue::Dictionary{{"x", 1.5}, {"y", -2.0}, {"z", -0.0}});
    EXPECT_TRUE(defaults->flush());
    EXPECT_TRUE(fs::exists(file));
}

TEST_F(PersistentDefaultsTest, ACorruptFileIsKeptAsideAndTheStoreStartsEmpty) {
    fs::create_directories(file.parent_path());
    const std::string damaged = "<plist><dict><key>productType</key><string>Dropw";
    std::ofstream(file) << damaged;

    ::testing::internal::CaptureStderr();
    auto defaults = open();
    const std::string log = ::testing::internal::GetCapturedStderr();

    EXPECT_EQ(defaults->object("productType"), std::nullopt);
    ASSERT_TRUE(defaults->setAsideFile());
    EXPECT_EQ(testing::fileText(*defaults->setAsideFile()), damaged) << "the damaged file is kept unchanged";
    EXPECT_NE(log.find("Settings file " + file.string() + " could not be read"), std::string::npos) << log;
    EXPECT_NE(log.find(defaults->setAsideFile()->string()), std::string::npos) << log;

    defaults->setObject("productType", PropertyListValue("DropwrightIIa"));
    EXPECT_TRUE(defaults->flush());
    EXPECT_EQ(testing::fileText(*defaults->setAsideFile()), damaged);
    EXPECT_EQ(open()->object("productType"), PropertyListValue("DropwrightIIa"));
}

TEST_F(PersistentDefaultsTest, SomethingOtherThanAFileIsSetAsideToo) {
    fs::create_directories(file);
    ::testing::internal::CaptureStderr();
    auto defaults = open();
    ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(defaults->setAsideFile());
    defaults->setObject("key", PropertyListValue(1));
    EXPECT_TRUE(defaults->flush());
    EXPECT_TRUE(fs::is_regular_file(file));
}

TEST_F(PersistentDefaultsTest, RealDelayWritesWithTheSystemClock) {
    auto defaults = std::make_unique<PersistentDefaults>(file, systemClock(), 10ms);
    defaults->setObject("maxHumidity", PropertyListValue(60.0));
    ASSERT_TRUE(fileAppears());
}

TEST(PersistentDefaultsLocationTest, LivesInTheUsersConfigurationFolder) {
    const auto location = PersistentDefaults::standardFileLocation();
    ASSERT_TRUE(location);
    EXPECT_EQ(location->filename(), "settings.plist");
    EXPECT_EQ(location->parent_path().filename(), "Dotfield");
}

} // namespace
} // namespace Dotfield
