#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Items/PatternItems.hpp"
#include "VeltranePatterns/Source/Pattern/Pattern.hpp"

using namespace VeltranePatterns;
using Zovudidova::DistanceUnit;

namespace {

Pattern makePattern(std::vector<SolutionLayer> layers, std::optional<double> canvas) {
    return Pattern(DistanceUnit::millimeters, 2.0, 3.0, 50.0, 0.5, canvas, canvas,
                   canvas ? std::optional<Pattern::XYPair>({1.0, 2.0}) : std::nullopt, true, false, true,
                   std::move(layers), {0, 5, -1}, {100, 50, 2});
}

} // namespace

TEST(Pattern, LimitsFromAnOrigin) {
    EXPECT_EQ(makePattern({}, std::nullopt).limits(Coordinate{10, 20, 30}),
              (Pattern::XYLimits{-10, 90, -15, 30}));
    const Pattern empty(DistanceUnit::microns, 1, 1, 50, 100.0, std::nullopt, std::nullopt, std::nullopt,
                        false, false, false, {}, {}, {});
    EXPECT_EQ(empty.limits(Coordinate{4, -6, 1}), (Pattern::XYLimits{-4, -4, 6, 6}));
}

TEST(Pattern, ScaledByScalesItemsCanvasAndLimitsIntoMicrons) {
    const auto line = std::make_shared<const Line>(Coordinate{1, 2, 3}, Coordinate{4, 5, 6});
    const auto pause = std::make_shared<const PatternPause>(2.0);
    const Pattern pattern = makePattern(
        {SolutionLayer({line, pause}, "B"), SolutionLayer({line}, ""), SolutionLayer({}, "empty")}, 10.0);

    const std::shared_ptr<Pattern> scaled = pattern.scaledBy(1000);
    EXPECT_EQ(scaled->lengthUnit(), DistanceUnit::microns);
    EXPECT_EQ(scaled->xScaleFactor(), 2.0);
    EXPECT_EQ(scaled->yScaleFactor(), 3.0);
    EXPECT_EQ(scaled->featureWidth(), 50.0);
    EXPECT_EQ(scaled->gridSpacing(), 0.5);
    EXPECT_EQ(scaled->canvasWidth(), 10000.0);
    EXPECT_EQ(scaled->canvasHeight(), 10000.0);
    EXPECT_EQ(scaled->canvasUpperLeft(), (Pattern::XYPair{1000, 2000}));
    EXPECT_TRUE(scaled->continuous());
    EXPECT_FALSE(scaled->useSprayingInsteadOfDispensing());
    EXPECT_TRUE(scaled->stayAtEndOfPatternWhenDone());
    EXPECT_EQ(scaled->minimumLimits(), (Pattern::Triple{0, 5000, -1000}));
    EXPECT_EQ(scaled->maximumLimits(), (Pattern::Triple{100000, 50000, 2000}));

    ASSERT_EQ(scaled->solutionLayers().size(), 3u);
    EXPECT_EQ(scaled->solutionLayers()[0].solutionName(), "B");
    EXPECT_EQ(scaled->solutionLayers()[1].solutionName(), "");
    EXPECT_EQ(scaled->solutionLayers()[2].solutionName(), "empty");
    EXPECT_TRUE(scaled->solutionLayers()[2].patternItems().empty());
    const auto scaledLine = patternItemAs<Line>(scaled->solutionLayers()[0].patternItems()[0]);
    ASSERT_TRUE(scaledLine);
    EXPECT_EQ(scaledLine->endingPoint(), (Coordinate{4000, 5000, 6000}));
    EXPECT_TRUE(patternItemAs<PatternPause>(scaled->solutionLayers()[0].patternItems()[1]));

    // The receiver is unchanged, and absent canvas values stay absent.
    EXPECT_EQ(pattern.lengthUnit(), DistanceUnit::millimeters);
    EXPECT_EQ(pattern.solutionLayers()[0].patternItems()[0], line);
    const std::shared_ptr<Pattern> noCanvas = makePattern({}, std::nullopt).scaledBy(3);
    EXPECT_FALSE(noCanvas->canvasWidth());
    EXPECT_FALSE(noCanvas->canvasHeight());
    EXPECT_FALSE(noCanvas->canvasUpperLeft());
}

TEST(Pattern, SettingsThatCanChangeAfterCreation) {
    Pattern pattern = makePattern({}, std::nullopt);
    pattern.setFeatureWidth(30);
    pattern.setGridSpacing(std::nullopt);
    pattern.setCanvasWidth(7.0);
    pattern.setCanvasHeight(8.0);
    pattern.setCanvasUpperLeft(Pattern::XYPair{-1, 1});
    EXPECT_EQ(pattern.featureWidth(), 30);
    EXPECT_FALSE(pattern.gridSpacing());
    EXPECT_EQ(pattern.canvasWidth(), 7.0);
    EXPECT_EQ(pattern.canvasHeight(), 8.0);
    EXPECT_EQ(pattern.canvasUpperLeft(), (Pattern::XYPair{-1, 1}));
}
