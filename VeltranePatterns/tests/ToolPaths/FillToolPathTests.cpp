#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "VeltranePatterns/Source/ToolPaths/FillToolPath.hpp"

using namespace VeltranePatterns;

namespace {

struct FillCase {
    const char* name;
    Coordinate start;
    FillDimensions dimensions;
    Fill::FillType type;
    std::vector<Coordinate> path;
};

const Fill::FillType horizontal = Fill::FillType::horizontal;
const Fill::FillType vertical = Fill::FillType::vertical;

} // namespace

TEST(FillToolPath, PassesStepHalfAFeatureWidthAndEndAtTheFarCorner) {
    const std::vector<FillCase> cases{
        {"height 10",
         {0, 0, 5},
         {100, 10, 0},
         horizontal,
         {{100, 0, 5}, {100, 5, 5}, {0, 5, 5}, {0, 10, 5}, {100, 10, 5}}},
        {"height 15: last row swept out and back",
         {0, 0, 5},
         {100, 15, 0},
         horizontal,
         {{100, 0, 5},
          {100, 5, 5},
          {0, 5, 5},
          {0, 10, 5},
          {100, 10, 5},
          {100, 15, 5},
          {0, 15, 5},
          {100, 15, 5}}},
        {"height 12: last step stops on the far edge",
         {0, 0, 5},
         {100, 12, 0},
         horizontal,
         {{100, 0, 5},
          {100, 5, 5},
          {0, 5, 5},
          {0, 10, 5},
          {100, 10, 5},
          {100, 12, 5},
          {0, 12, 5},
          {100, 12, 5}}},
        {"vertical",
         {0, 0, 0},
         {10, 100, 0},
         vertical,
         {{0, 100, 0}, {5, 100, 0}, {5, 0, 0}, {10, 0, 0}, {10, 100, 0}}},
        {"negative dimensions",
         {0, 0, 0},
         {-100, -10, 0},
         horizontal,
         {{-100, 0, 0}, {-100, -5, 0}, {0, -5, 0}, {0, -10, 0}, {-100, -10, 0}}},
        {"no passes", {0, 0, 0}, {100, 0, 0}, horizontal, {{100, 0, 0}}},
        {"no passes, far corner within 1", {3, 4, 1}, {0.5, 0, 0}, horizontal, {{2.5, 4, 1}, {3.5, 4, 1}}},
    };
    for (const FillCase& c : cases) {
        const Fill fill(c.start, c.dimensions, c.type);
        const std::vector<Coordinate> path = calculateFillDrawingCoordinates(fill, 10, 1);
        EXPECT_EQ(path, c.path) << c.name;
        EXPECT_EQ(path.back(), *fill.endingCoordinate()) << c.name;
    }
    EXPECT_DOUBLE_EQ(Fill({0, 0, 5}, {100, 10, 0}, horizontal).itemLengthForFeatureWidth(10, 1), 310.0);
    // The scale factor divides the spacing.
    EXPECT_EQ(calculateFillDrawingCoordinates(Fill({0, 0, 5}, {100, 10, 0}, horizontal), 20, 2),
              cases.front().path);
}

TEST(FillToolPath, ReversedFillEndsWhereTheFirstStarted) {
    const auto fill = std::make_shared<const Fill>(Coordinate{10, 10, 3}, FillDimensions{-4, 6, 99}, vertical,
                                                   1.0, 2.0, true);
    EXPECT_EQ(fill->limits(), (Limits{6, 10, 10, 16, 3, 3}));
    const auto reversed = patternItemAs<Fill>(fill->reversed());
    ASSERT_TRUE(reversed);
    EXPECT_EQ(reversed->startingCoordinate(), (Coordinate{6, 16, 3}));
    EXPECT_EQ(reversed->dimensions(), (FillDimensions{4, -6, 99}));
    EXPECT_EQ(reversed->fillType(), vertical);
    EXPECT_EQ(calculateFillDrawingCoordinates(*reversed, 1, 1).back(), fill->startingCoordinate());

    const auto scaled = patternItemAs<Fill>(fill->scaledBy(2));
    EXPECT_EQ(scaled->startingCoordinate(), (Coordinate{20, 20, 6}));
    EXPECT_EQ(scaled->dimensions(), (FillDimensions{-8, 12, 198}));
    EXPECT_EQ(scaled->velocity(), 1.0);
    EXPECT_EQ(scaled->acceleration(), 2.0);
    EXPECT_TRUE(scaled->surfaceSensing());
}

TEST(FillToolPath, UndefinedSpacingOrTooManyPassesGiveNoPath) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    const Fill fill({0, 0, 0}, {100, 10, 0}, horizontal);
    for (const auto& [featureWidth, scaleFactor] : std::vector<std::pair<double, double>>{
             {0, 1}, {-10, 1}, {nan, 1}, {10, 0}, {10, inf}, {10, nan}, {inf, 1}}) {
        EXPECT_TRUE(calculateFillDrawingCoordinates(fill, featureWidth, scaleFactor).empty())
            << featureWidth << " / " << scaleFactor;
        EXPECT_EQ(fill.itemLengthForFeatureWidth(featureWidth, scaleFactor), 0.0);
    }
    EXPECT_TRUE(
        calculateFillDrawingCoordinates(Fill({0, 0, 0}, {100, 1e300, 0}, horizontal), 1e-300, 1).empty());
    EXPECT_TRUE(calculateFillDrawingCoordinates(Fill({0, 0, 0}, {100, 1e9, 0}, horizontal), 1, 1).empty());
    EXPECT_TRUE(calculateFillDrawingCoordinates(Fill({nan, 0, 0}, {100, 10, 0}, horizontal), 10, 1).empty());
    EXPECT_TRUE(calculateFillDrawingCoordinates(Fill({0, 0, 0}, {100, inf, 0}, vertical), 10, 1).empty());
}
