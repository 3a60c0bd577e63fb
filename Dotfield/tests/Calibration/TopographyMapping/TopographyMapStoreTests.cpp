#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

#include "Dotfield/Calibration/TopographyMapping/TopographyMapStore.hpp"
#include "Dotfield/Calibration/TopographyMapping/TopographyMappingSettings.hpp"
#include "Dotfield/Calibration/TopographyMapping/TopographyPlotData.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Robotics/SurfaceTopographyMap.hpp"
#include "Dotfield/tests/Support/TestFiles.hpp"

namespace Dotfield {
namespace {

using testing::fileText;
using testing::freshTestFolder;
using testing::writeText;
using VeltranePatterns::Coordinate;

class TopographyMapStoreTest : public ::testing::Test {
  protected:
    std::filesystem::path folder = freshTestFolder("TopographyMapping");
    std::filesystem::path defaultFile = folder / "topographymap.csv";
    TopographyMapStore store{[this] { return defaultFile; }};
};

TEST_F(TopographyMapStoreTest, AFreshInstallationHasAnEmptyMapAndNothingForPrinting) {
    EXPECT_TRUE(store.map()->isEmpty());
    EXPECT_EQ(store.map()->rowCount(), 1U);
    EXPECT_FALSE(store.mapForPrinting(true));
    EXPECT_FALSE(std::filesystem::exists(defaultFile));
}

TEST_F(TopographyMapStoreTest, ReadsTheDefaultFileOnFirstUseAndHandsItToPrintingOnlyWhenCorrecting) {
    writeText(defaultFile, "0.0,0.0,5.0\n1000.0,0.0,6.0\n");
    EXPECT_EQ(store.map()->grid().front().size(), 2U);
    EXPECT_EQ(store.mapForPrinting(true), store.map());
    EXPECT_FALSE(store.mapForPrinting(false));
}

TEST_F(TopographyMapStoreTest, AdoptingAndClearingRewriteTheDefaultFile) {
    auto map = std::make_shared<SurfaceTopographyMap>();
    map->addPoint({0, 0, 1.5});
    map->addPoint({0, 500, 2});
    store.adopt(map);
    EXPECT_EQ(store.map(), map);
    EXPECT_EQ(fileText(defaultFile), "0.0,0.0,1.5\n0.0,500.0,2.0\n");
    store.clear();
    EXPECT_TRUE(store.map()->isEmpty());
    EXPECT_EQ(fileText(defaultFile), "");
}

TEST_F(TopographyMapStoreTest, ImportRefusesFilesWithoutAPointAndChangesNothing) {
    writeText(defaultFile, "0.0,0.0,5.0\n");
    const auto before = store.map();
    const struct {
        const char* name;
        const char* text;
    } cases[] = {{"empty.csv", ""}, {"words.csv", "x,y,z\nnot,a,point\n"}, {"short.csv", "1.0,2.0\n"}};
    for (const auto& row : cases) {
        writeText(folder / row.name, row.text);
        EXPECT_THROW(TopographyMapStore::readForImport(folder / row.name), std::runtime_error) << row.name;
    }
    EXPECT_THROW(TopographyMapStore::readForImport(folder / "missing.csv"), std::exception);
    EXPECT_EQ(store.map(), before);
    EXPECT_EQ(fileText(defaultFile), "0.0,0.0,5.0\n");
}

TEST_F(TopographyMapStoreTest, AnUnwritableDefaultFileIsNotReportedAndTheMapStaysInForce) {
    defaultFile = folder / "no-such-folder" / "topographymap.csv";
    auto map = std::make_shared<SurfaceTopographyMap>();
    map->addPoint({1, 2, 3});
    EXPECT_NO_THROW(store.adopt(map));
    EXPECT_EQ(store.map(), map);
}

TEST(TopographyMappingSettingsTest, ReadDefaultsAndStoreEveryChange) {
    auto defaults = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    defaults->setDouble(2500.0, "stepSizeToMapTopographyInY");
    TopographyMappingSettings settings(defaults);
    EXPECT_EQ(settings.grid().distanceInX, 10000.0);
    EXPECT_EQ(settings.grid().distanceInY, 10000.0);
    EXPECT_EQ(settings.grid().stepSizeInX, 1000.0);
    EXPECT_EQ(settings.grid().stepSizeInY, 2500.0);
    EXPECT_EQ(settings.distanceToRetract(), 200.0);
    EXPECT_TRUE(settings.shouldCorrectBasedOnTopographyMap());

    settings.setDistanceToMapTopographyInX(4000.0);
    settings.setDistanceToMapTopographyInY(3000.0);
    settings.setStepSizeToMapTopographyInX(500.0);
    settings.setStepSizeToMapTopographyInY(250.0);
    settings.setDistanceToRetract(80.0);
    settings.setShouldCorrectBasedOnTopographyMap(false);
    EXPECT_EQ(defaults->doubleForKey("distanceToMapTopographyInX"), 4000.0);
    EXPECT_EQ(defaults->doubleForKey("distanceToMapTopographyInY"), 3000.0);
    EXPECT_EQ(defaults->doubleForKey("stepSizeToMapTopographyInX"), 500.0);
    EXPECT_EQ(defaults->doubleForKey("stepSizeToMapTopographyInY"), 250.0);
    EXPECT_EQ(defaults->doubleForKey("distanceToRetractFromSurfaceWhenMappingTopography"), 80.0);
    EXPECT_EQ(defaults->boolForKey("shouldCorrectBasedOnTopographyMap"), false);
}

TEST(TopographyGridExtentTest, CountsPointsAndRefusesGridsThatCannotBeMapped) {
    const auto size = TopographyGridExtent{10500.0, 4000.0, 1000.0, 1000.0}.size();
    EXPECT_EQ(size.columns, 11U);
    EXPECT_EQ(size.rows, 5U);
    EXPECT_EQ((TopographyGridExtent{0.0, 0.0, 1000.0, 1000.0}.size().rows), 1U);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const TopographyGridExtent refused[] = {
        {1000.0, 1000.0, 0.0, 100.0},    {1000.0, 1000.0, 100.0, -5.0},  {-1.0, 1000.0, 100.0, 100.0},
        {1000.0, nan, 100.0, 100.0},     {infinity, 10.0, 100.0, 100.0}, {1000.0, 1000.0, nan, 100.0},
        {100000.0, 100000.0, 10.0, 10.0}, // 10001 x 10001 points
    };
    for (const auto& grid : refused) {
        EXPECT_THROW(grid.size(), std::invalid_argument)
            << grid.distanceInX << " " << grid.distanceInY << " " << grid.stepSizeInX << " " << grid.stepSizeInY;
    }
}

TEST(TopographyPlotDataTest, PlacesEachRowOneSpacingDownAndRaisesHigherPoints) {
    SurfaceTopographyMap map;
    map.addPoint({100.0, 200.0, 10.0});
    map.addPoint({1100.4, 200.0, 10.5});
    map.addPoint({100.0, 1200.0, 12.0});
    const auto scale = TopographyPlotScale::of(map, 500.0);
    EXPECT_EQ(scale.yGridSpacing, 1000.0);

    const struct {
        Coordinate point;
        std::uint64_t x;
        std::int64_t y;
    } cases[] = {
        {{100.0, 200.0, 10.0}, 0, 1000},         // the lowest point of the first row
        {{1100.4, 200.0, 10.5}, 1000, 1000 - 250}, // half a micron higher
        {{1100.6, 200.0, 10.0}, 1001, 1000},     // rounded half away from zero
        {{100.0, 1200.0, 12.0}, 0, 2000 - 1000}, // the top of the range rises a whole spacing
        {{100.0, 1200.9, 10.0019}, 0, 2000},     // each term truncated on its own
    };
    for (const auto& row : cases) {
        const auto plotted = topographyPlotPoint(row.point, scale);
        EXPECT_EQ(plotted.x, row.x) << row.point.x;
        EXPECT_EQ(plotted.y, row.y) << row.point.y << " " << row.point.z;
    }
}

TEST(TopographyPlotDataTest, TheMultiplierFitsTheHeightRangeIntoOneStepAndIsKeptForAFlatMap) {
    SurfaceTopographyMap map;
    EXPECT_FALSE(fittingPlotMultiplier(map, 1000.0));
    map.addPoint({0, 0, 7.0});
    map.addPoint({10, 0, 7.0});
    EXPECT_FALSE(fittingPlotMultiplier(map, 1000.0));
    map.addPoint({20, 0, 11.0});
    EXPECT_EQ(fittingPlotMultiplier(map, 1000.0), 250.0);
}

} // namespace
} // namespace Dotfield
