#include <gtest/gtest.h>

#include "Dotfield/Application/SavedPositionSettings.hpp"
#include "Dotfield/Instrument/Settings/CoordinateDictionary.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWellSettings.hpp"
#include "Dotfield/tests/Support/SettingsTestSupport.hpp"

namespace Dotfield {
namespace {

using testing::Backing;
using VeltranePatterns::Coordinate;
using Array = PropertyListValue::Array;
using Dictionary = PropertyListValue::Dictionary;

SolutionWell wellNamed(const std::string& name) {
    return SolutionWell{name,
                        SolutionLocation::MicrotiterPlate96Well{2, "C"},
                        1,
                        SolutionReloadQuantity::Spots{40},
                        Zovudidova::seconds(2.5),
                        3,
                        std::string("Rinse"),
                        std::nullopt,
                        Zovudidova::seconds(10.0)};
}

class UserDefaultsCompositeTest : public ::testing::TestWithParam<Backing> {
  protected:
    testing::SettingsStoreFixture fixture{GetParam(), "UserDefaultsComposite"};
    UserDefaults& store = *fixture.store;
    bool overUserDefaults() const { return GetParam() == Backing::userDefaults; }
};

TEST_P(UserDefaultsCompositeTest, CompositeValuesRoundTrip) {
    store.setAxisValues({1.0, 2.5, -3.0}, "manualMovementVelocity", true);
    store.setAxisValues({4.0, 5.0, 6.0}, "backlashCorrectionForLastMove", false);
    store.setCoordinate(Coordinate(1, 2, 3), "storedHomeLocation");
    store.setCoordinates(std::vector<Coordinate>{{1, 2, 3}, {4, 5, 6}}, "savedCalibrationPointsForX");
    store.setDoubleArray(std::vector<double>{0.5, -1.25}, "standardDeviationArray");
    store.setIntegerArray(std::vector<std::int64_t>{10, -20}, "delaysForNoiseCalculationArray");
    const std::vector<SavedPosition> positions{{"Untitled", {1, 2, 3}}, {"", {-4, 5.5, 0}}};
    storeSavedPositions(store, positions, "savedPositions");
    const std::vector<SolutionWell> wells{wellNamed("A"), wellNamed("B")};
    storeSolutionWells(store, wells, "solutionWells");

    EXPECT_EQ(store.axisValues("manualMovementVelocity", true), (AxisValues{1.0, 2.5, -3.0}));
    EXPECT_EQ(store.doubleForKey("manualMovementVelocityForY"), 2.5);
    EXPECT_EQ(store.axisValues("backlashCorrectionForLastMove", false), (AxisValues{4.0, 5.0, 6.0}));
    EXPECT_EQ(store.coordinate("storedHomeLocation"), Coordinate(1, 2, 3));
    EXPECT_EQ(store.coordinateArray("savedCalibrationPointsForX"),
              (std::vector<Coordinate>{{1, 2, 3}, {4, 5, 6}}));
    EXPECT_EQ(store.doubleArray("standardDeviationArray"), (std::vector<double>{0.5, -1.25}));
    EXPECT_EQ(store.integerArray("delaysForNoiseCalculationArray"), (std::vector<std::int64_t>{10, -20}));
    EXPECT_EQ(storedSavedPositions(store, "savedPositions"), positions);
    EXPECT_EQ(storedSolutionWells(store, "solutionWells"), wells);
}

TEST_P(UserDefaultsCompositeTest, TheTwoAxisFormsAreIndependentAndNeverPartial) {
    store.setAxisValues({1, 2, 3}, "proportionalGain", true);
    EXPECT_EQ(store.axisValues("proportionalGain", false), std::nullopt);
    store.setAxisValues({1, 2, 3}, "userDefinedProportionalGain", false);
    EXPECT_EQ(store.axisValues("userDefinedProportionalGain", true), std::nullopt);

    store.setDouble(1.0, "integralGainForX");
    store.setDouble(2.0, "integralGainForY");
    EXPECT_EQ(store.axisValues("integralGain", true), std::nullopt);
    store.setString(std::string("3"), "integralGainForZ");
    EXPECT_EQ(store.axisValues("integralGain", true), std::nullopt);
}

TEST_P(UserDefaultsCompositeTest, EmptyListsStayListsAndWritingNothingRemoves) {
    storeSavedPositions(store, std::vector<SavedPosition>{}, "savedPositions");
    EXPECT_EQ(storedSavedPositions(store, "savedPositions"), std::vector<SavedPosition>{});
    storeSavedPositions(store, std::nullopt, "savedPositions");
    EXPECT_EQ(storedSavedPositions(store, "savedPositions"), std::nullopt);

    store.setCoordinate(Coordinate(1, 2, 3), "storedA1WellLocation");
    store.setCoordinate(std::nullopt, "storedA1WellLocation");
    EXPECT_EQ(store.coordinate("storedA1WellLocation"), std::nullopt);
    store.setDoubleArray(std::vector<double>{1.0}, "averageForNoiseCalculationArray");
    store.setDoubleArray(std::nullopt, "averageForNoiseCalculationArray");
    EXPECT_EQ(store.object("averageForNoiseCalculationArray"), std::nullopt);
    storeSolutionWells(store, std::nullopt, "solutionWells");
    EXPECT_EQ(storedSolutionWells(store, "solutionWells"), std::nullopt);
}

TEST_P(UserDefaultsCompositeTest, ListElementsThatDoNotDecodeAreSkipped) {
    const Dictionary good1{{"name", "one"}, {"coordinate", dictionaryFromCoordinate({1, 2, 3})}};
    const Dictionary noName{{"coordinate", dictionaryFromCoordinate({4, 5, 6})}};
    const Dictionary noZ{{"name", "three"}, {"coordinate", Dictionary{{"x", 1.0}, {"y", 2.0}}}};
    const Dictionary extra{
        {"name", "four"}, {"coordinate", dictionaryFromCoordinate({7, 8, 9})}, {"colour", "red"}};
    store.setObject("savedPositions", PropertyListValue(Array{good1, noName, noZ, extra}));
    EXPECT_EQ(storedSavedPositions(store, "savedPositions"),
              (std::vector<SavedPosition>{{"one", {1, 2, 3}}, {"four", {7, 8, 9}}}));

    Dictionary badWell = wellNamed("bad").dictionaryRepresentation();
    badWell["plateNumber"] = -1;
    store.setObject("solutionWells",
                    PropertyListValue(Array{badWell, wellNamed("good").dictionaryRepresentation()}));
    EXPECT_EQ(storedSolutionWells(store, "solutionWells"), std::vector<SolutionWell>{wellNamed("good")});
}

TEST_P(UserDefaultsCompositeTest, AWrongShapeAtTheTopReadsAsNothing) {
    store.setString(std::string("not a list"), "savedPositions");
    EXPECT_EQ(storedSavedPositions(store, "savedPositions"), std::nullopt);
    store.setDouble(1.0, "storedHomeLocation");
    EXPECT_EQ(store.coordinate("storedHomeLocation"), std::nullopt);
    store.setObject("backlashCorrectionForLastMove", PropertyListValue(Array{1.0, 2.0, 3.0}));
    EXPECT_EQ(store.axisValues("backlashCorrectionForLastMove", false), std::nullopt);
}

TEST_P(UserDefaultsCompositeTest, NumberListsOfMixedKinds) {
    // As another program might have written them.
    store.setObject("delaysForNoiseCalculationArray", PropertyListValue(Array{1, 2.5, 3, 2.0}));
    store.setObject("frequenciesForNoiseCalculationArray", PropertyListValue(Array{1.5, std::int64_t{2}}));
    if (overUserDefaults()) {
        // Each element is taken when the kind holds it exactly.
        EXPECT_EQ(store.integerArray("delaysForNoiseCalculationArray"), (std::vector<std::int64_t>{1, 3, 2}));
        EXPECT_EQ(store.doubleArray("frequenciesForNoiseCalculationArray"), (std::vector<double>{1.5, 2.0}));
    } else {
        // The in-memory dictionary holds lists of one kind only.
        EXPECT_EQ(store.integerArray("delaysForNoiseCalculationArray"), std::nullopt);
        EXPECT_EQ(store.doubleArray("frequenciesForNoiseCalculationArray"), std::nullopt);
    }
}

INSTANTIATE_TEST_SUITE_P(Backings, UserDefaultsCompositeTest,
                         ::testing::Values(Backing::userDefaults, Backing::inMemory), testing::backingName);

TEST(CoordinateDictionaryTest, NeedsThreeNumbersAndIgnoresOtherEntries) {
    EXPECT_EQ(dictionaryFromCoordinate({1, 2, 3}), (Dictionary{{"x", 1.0}, {"y", 2.0}, {"z", 3.0}}));
    const Dictionary withInteger{{"x", 1}, {"y", 2.5}, {"z", -3.0}, {"w", "extra"}};
    EXPECT_EQ(coordinateFromDictionary(&withInteger), Coordinate(1, 2.5, -3));
    const Dictionary textZ{{"x", 1.0}, {"y", 2.0}, {"z", "3"}};
    EXPECT_EQ(coordinateFromDictionary(&textZ), std::nullopt);
    EXPECT_EQ(coordinateFromDictionary(static_cast<const Dictionary*>(nullptr)), std::nullopt);
}

TEST(AxisValuesOverUserDefaultsTest, TheDictionaryFormNeedsNumbersARealHoldsExactly) {
    testing::SettingsStoreFixture fixture(Backing::userDefaults, "AxisValues");
    fixture.store->setObject("backlashCorrectionForLastMove",
                             PropertyListValue(Dictionary{{"x", std::int64_t{2}}, {"y", 1.5}, {"z", true}}));
    EXPECT_EQ(fixture.store->axisValues("backlashCorrectionForLastMove", false), (AxisValues{2.0, 1.5, 1.0}));
    fixture.store->setObject(
        "backlashCorrectionForLastMove",
        PropertyListValue(Dictionary{{"x", std::int64_t{(1LL << 53) + 1}}, {"y", 1.5}, {"z", 0.0}}));
    EXPECT_EQ(fixture.store->axisValues("backlashCorrectionForLastMove", false), std::nullopt);
}

} // namespace
} // namespace Dotfield
