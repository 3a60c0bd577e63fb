#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GerberItemText.hpp"
#include "VeltranePatterns/Source/Import/Gerber/GerberImport.hpp"

using namespace VeltranePatterns;
using namespace GerberTestSupport;
using Zovudidova::DistanceUnit;

namespace {

std::vector<std::string> describeItems(const SolutionLayer& layer) {
    std::vector<std::string> items;
    for (const auto& item : layer.patternItems()) {
        items.push_back(describe(item));
    }
    return items;
}

std::string describeLimits(const Pattern& pattern) {
    const auto& lower = pattern.minimumLimits();
    const auto& upper = pattern.maximumLimits();
    return describe(Limits{lower.x, upper.x, lower.y, upper.y, lower.z, upper.z});
}

} // namespace

TEST(GerberImport, CouponGivesItsItemsInOneLayerWithThePadsInsideTheLimits) {
    const auto pattern = patternFromGerberFile(std::filesystem::path(GERBER_FIXTURE_DIRECTORY) / "coupon.gbr");
    ASSERT_NE(pattern, nullptr);
    // Inches first, then millimetres: the last declaration wins, nothing is converted.
    EXPECT_EQ(pattern->lengthUnit(), DistanceUnit::millimeters);
    ASSERT_EQ(pattern->solutionLayers().size(), 1u);
    const SolutionLayer& layer = pattern->solutionLayers().front();
    EXPECT_EQ(layer.solutionName(), "Gerber");
    EXPECT_EQ(describeItems(layer),
              (std::vector<std::string>{
                  "Line (0.0, -0.0, 0.0) to (10.0, -0.0, 0.0)",
                  "Line (10.0, -0.0, 0.0) to (10.0, -5.0, 0.0)",
                  "ArcFill (2.0, -2.0, 0.0) radii 0.2 to 0.5 angles 0.0 degrees to 360.0 degrees clockwise",
                  "Fill (4.0, 0.5, 0.0) size 2.0 x 1.0 x 0.0 horizontal",
                  "Fill (7.5, -4.5, 0.0) size 1.0 x 3.0 x 0.0 horizontal",
                  "Point (3.0, -4.0, 0.0) for 0.0 milliseconds",
                  "Fill (-1.25, -6.75, 0.0) size 1.5 x 1.5 x 0.0 vertical",
              }));
    // The square pad at (-0.5, -6) reaches to x -1.25 and y -6.75; the rectangle
    // at (5, 1) up to y 1.5.
    EXPECT_EQ(describeLimits(*pattern), "x -1.25 to 10.0, y -6.75 to 1.5, z 0.0 to 0.0");
}

TEST(GerberImport, PatternSettingsAreFixed) {
    const auto pattern = patternFromGerberFile(std::filesystem::path(GERBER_FIXTURE_DIRECTORY) / "coupon.gbr");
    ASSERT_NE(pattern, nullptr);
    EXPECT_EQ(pattern->xScaleFactor(), 1.0);
    EXPECT_EQ(pattern->yScaleFactor(), 1.0);
    EXPECT_EQ(pattern->featureWidth(), 50.0);
    EXPECT_FALSE(pattern->gridSpacing());
    EXPECT_FALSE(pattern->canvasWidth());
    EXPECT_FALSE(pattern->canvasHeight());
    EXPECT_FALSE(pattern->canvasUpperLeft());
    EXPECT_TRUE(pattern->continuous());
    EXPECT_FALSE(pattern->useSprayingInsteadOfDispensing());
    EXPECT_FALSE(pattern->stayAtEndOfPatternWhenDone());
}

TEST(GerberImport, EachImportBuildsAnIndependentPattern) {
    const auto path = std::filesystem::path(GERBER_FIXTURE_DIRECTORY) / "coupon.gbr";
    const auto first = patternFromGerberFile(path);
    const auto second = patternFromGerberFile(path);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(describeItems(first->solutionLayers().front()), describeItems(second->solutionLayers().front()));
}

TEST(GerberImport, FileThatCannotBeOpenedGivesNoPattern) {
    EXPECT_EQ(patternFromGerberFile("/nonexistent/dotfield/board.gbr"), nullptr);
    EXPECT_EQ(patternFromGerberFile(scratchDirectory()), nullptr);
}
