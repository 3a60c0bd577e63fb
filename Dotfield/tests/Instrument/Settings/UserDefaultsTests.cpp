#include "Dotfield/Application/SavedPositionSettings.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"

#include <gtest/gtest.h>

#include "Dotfield/tests/Support/SettingsTestSupport.hpp"

namespace Dotfield {
namespace {

using testing::Backing;

class UserDefaultsScalarTest : public ::testing::TestWithParam<Backing> {
  protected:
    testing::SettingsStoreFixture fixture{GetParam(), "UserDefaults"};
    UserDefaults& store = *fixture.store;
    bool overUserDefaults() const { return GetParam() == Backing::userDefaults; }
};

TEST_P(UserDefaultsScalarTest, AKeyNeverWrittenReadsAsNothingEverywhere) {
    EXPECT_EQ(store.boolForKey("smallStepSize"), std::nullopt);
    EXPECT_EQ(store.doubleForKey("smallStepSize"), std::nullopt);
    EXPECT_EQ(store.integerForKey("smallStepSize"), std::nullopt);
    EXPECT_EQ(store.stringForKey("smallStepSize"), std::nullopt);
    EXPECT_EQ(store.axisValues("manualMovementVelocity", true), std::nullopt);
    EXPECT_EQ(store.coordinate("storedHomeLocation"), std::nullopt);
    EXPECT_EQ(store.doubleArray("standardDeviationArray"), std::nullopt);
    EXPECT_EQ(storedSavedPositions(store, "savedPositions"), std::nullopt);
}

TEST_P(UserDefaultsScalarTest, ValuesReadBackAsTheKindTheyWereStoredAs) {
    store.setBool(true, "isActiveCorrectionForSurfaceHeightEnabled");
    store.setDouble(1.5, "sprayingVoltage");
    store.setInteger(-7, "productType");
    store.setString(std::string("1.5"), "text");
    EXPECT_EQ(store.boolForKey("isActiveCorrectionForSurfaceHeightEnabled"), true);
    EXPECT_EQ(store.doubleForKey("sprayingVoltage"), 1.5);
    EXPECT_EQ(store.integerForKey("productType"), -7);
    EXPECT_EQ(store.stringForKey("text"), "1.5");
    // Text is never parsed as a number, and a number is never text.
    EXPECT_EQ(store.doubleForKey("text"), std::nullopt);
    EXPECT_EQ(store.boolForKey("text"), std::nullopt);
    EXPECT_EQ(store.stringForKey("sprayingVoltage"), std::nullopt);
}

TEST_P(UserDefaultsScalarTest, NumbersConvertOnlyOverTheUserDefaults) {
    store.setBool(true, "flag");
    store.setDouble(2.7, "real");
    store.setDouble(-2.7, "negativeReal");
    store.setInteger(5, "integer");
    store.setInteger(0, "zero");
    struct Read {
        const char* key;
        std::optional<std::int64_t> asInteger;
        std::optional<double> asDouble;
        std::optional<bool> asBool;
    };
    const std::vector<Read> converted{
        {"flag", 1, 1.0, true},    {"real", 2, 2.7, true},  {"negativeReal", -2, -2.7, true},
        {"integer", 5, 5.0, true}, {"zero", 0, 0.0, false},
    };
    const std::vector<Read> exact{
        {"flag", std::nullopt, std::nullopt, true},
        {"real", std::nullopt, 2.7, std::nullopt},
        {"negativeReal", std::nullopt, -2.7, std::nullopt},
        {"integer", 5, std::nullopt, std::nullopt},
        {"zero", 0, std::nullopt, std::nullopt},
    };
    for (const Read& read : overUserDefaults() ? converted : exact) {
        SCOPED_TRACE(read.key);
        EXPECT_EQ(store.integerForKey(read.key), read.asInteger);
        EXPECT_EQ(store.doubleForKey(read.key), read.asDouble);
        EXPECT_EQ(store.boolForKey(read.key), read.asBool);
    }
}

TEST_P(UserDefaultsScalarTest, WritingNothingRemovesTheKeyAndWritesReplaceAnyKind) {
    store.setString(std::string("DropwrightIIa"), "productType");
    store.setString(std::nullopt, "productType");
    EXPECT_EQ(store.stringForKey("productType"), std::nullopt);
    store.setString(std::nullopt, "neverThere");
    EXPECT_EQ(store.object("neverThere"), std::nullopt);

    store.setString(std::string("text"), "key");
    store.setDouble(3.0, "key");
    EXPECT_EQ(store.stringForKey("key"), std::nullopt);
    EXPECT_EQ(store.doubleForKey("key"), 3.0);
}

TEST_P(UserDefaultsScalarTest, KeysAreCaseSensitive) {
    store.setDouble(1.0, "minHumidity");
    EXPECT_EQ(store.doubleForKey("MinHumidity"), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Backings, UserDefaultsScalarTest,
                         ::testing::Values(Backing::userDefaults, Backing::inMemory), testing::backingName);

} // namespace
} // namespace Dotfield
