#include <gtest/gtest.h>

#include <memory>

#include "Dotfield/Instrument/DispenserStatus/NoiseCalculationArrays.hpp"
#include "Dotfield/tests/Support/SettingsTestSupport.hpp"

namespace Dotfield {
namespace {

using Zovudidova::kilohertz;

const DispenserStatistics reference{{
    {1010.5, 3.25, {kilohertz(399.2), 3}},
    {1200.0, 4.0, {kilohertz(449.1), 1}},
    {950.0, 2.5, {kilohertz(208.8), 0}},
    {870.0, 7.0, {kilohertz(548.9), 4}},
    {640.0, 1.0, {kilohertz(489.9), 255}},
}};

class NoiseCalculationArrays : public ::testing::TestWithParam<testing::Backing> {
protected:
    testing::SettingsStoreFixture settings{GetParam(), "NoiseCalculationArrays"};
    UserDefaults& store = *settings.store;
};

TEST_P(NoiseCalculationArrays, StatisticsRoundTripThroughTheFourLists) {
    saveNoiseCalculationArrays(reference, store);
    EXPECT_EQ(store.doubleArray("standardDeviationArray"), (std::vector<double>{3.25, 4.0, 2.5, 7.0, 1.0}));
    EXPECT_EQ(store.doubleArray("averageForNoiseCalculationArray"),
              (std::vector<double>{1010.5, 1200.0, 950.0, 870.0, 640.0}));
    EXPECT_EQ(store.integerArray("delaysForNoiseCalculationArray"), (std::vector<std::int64_t>{3, 1, 0, 4, 255}));
    EXPECT_EQ(store.doubleArray("frequenciesForNoiseCalculationArray"),
              (std::vector<double>{399.2, 449.1, 208.8, 548.9, 489.9}));
    EXPECT_EQ(loadNoiseCalculationArrays(store), reference);

    saveNoiseCalculationArrays(std::nullopt, store);
    for (const char* key : {"standardDeviationArray", "averageForNoiseCalculationArray",
                            "delaysForNoiseCalculationArray", "frequenciesForNoiseCalculationArray"}) {
        EXPECT_FALSE(store.object(key)) << key;
    }
    EXPECT_FALSE(loadNoiseCalculationArrays(store));
}

TEST_P(NoiseCalculationArrays, IncompleteOrImpossibleListsLoadAsNoStatistics) {
    saveNoiseCalculationArrays(reference, store);
    store.setDoubleArray(std::vector<double>{1, 2, 3, 4, 5, 6}, "averageForNoiseCalculationArray");
    ASSERT_TRUE(loadNoiseCalculationArrays(store));
    EXPECT_EQ((*loadNoiseCalculationArrays(store))[4].averageImpedanceMagnitude, 5.0);

    store.setDoubleArray(std::vector<double>{1, 2, 3, 4}, "averageForNoiseCalculationArray");
    EXPECT_FALSE(loadNoiseCalculationArrays(store));

    saveNoiseCalculationArrays(reference, store);
    store.setDoubleArray(std::nullopt, "frequenciesForNoiseCalculationArray");
    EXPECT_FALSE(loadNoiseCalculationArrays(store));

    for (std::int64_t delay : {256, -1}) {
        saveNoiseCalculationArrays(reference, store);
        store.setIntegerArray(std::vector<std::int64_t>{3, 1, delay, 4, 4}, "delaysForNoiseCalculationArray");
        EXPECT_FALSE(loadNoiseCalculationArrays(store)) << delay;
    }
}

INSTANTIATE_TEST_SUITE_P(Backings, NoiseCalculationArrays,
                         ::testing::Values(testing::Backing::userDefaults, testing::Backing::inMemory),
                         testing::backingName);

} // namespace
} // namespace Dotfield
