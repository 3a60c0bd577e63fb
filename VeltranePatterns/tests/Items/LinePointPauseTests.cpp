#include <limits>

#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Items/PatternItems.hpp"

using namespace VeltranePatterns;
using Zovudidova::milliseconds;

TEST(Line, LengthLimitsReversalAndScaling) {
    const auto line =
        std::make_shared<const Line>(Coordinate{0, 0, 0}, Coordinate{3, 4, 100}, 7.0, 8.0, true);
    EXPECT_DOUBLE_EQ(line->itemLengthForFeatureWidth(50, 3), 5.0);
    EXPECT_EQ(Line({5, 1, 9}, {2, 7, 3}).limits(), (Limits{2, 5, 1, 7, 3, 9}));

    const auto reversed = patternItemAs<Line>(line->reversed());
    ASSERT_TRUE(reversed);
    EXPECT_EQ(reversed->startingPoint(), (Coordinate{3, 4, 100}));
    EXPECT_EQ(reversed->endingPoint(), (Coordinate{0, 0, 0}));
    EXPECT_EQ(reversed->velocity(), 7.0);
    EXPECT_EQ(reversed->acceleration(), 8.0);
    EXPECT_TRUE(reversed->surfaceSensing());
    EXPECT_EQ(patternItemAs<Line>(reversed->reversed())->startingPoint(), line->startingPoint());

    const auto scaled = patternItemAs<Line>(line->scaledBy(2));
    EXPECT_EQ(scaled->startingPoint(), (Coordinate{0, 0, 0}));
    EXPECT_EQ(scaled->endingPoint(), (Coordinate{6, 8, 200}));
    EXPECT_EQ(scaled->velocity(), 7.0);
    EXPECT_EQ(scaled->acceleration(), 8.0);
    // The original never changes.
    EXPECT_EQ(line->endingPoint(), (Coordinate{3, 4, 100}));
}

TEST(PatternItem, ConnectsWithIsInclusiveAndNeedsAnEnd) {
    const Line line({0, 0, 0}, {10, 10, 0});
    EXPECT_TRUE(line.connectsWith(Point({10.01, 9.99, 0}, milliseconds(0))));
    EXPECT_FALSE(line.connectsWith(Point({10.02, 10, 0}, milliseconds(0))));
    EXPECT_FALSE(
        line.connectsWith(Point({10, 10, std::numeric_limits<double>::quiet_NaN()}, milliseconds(0))));
    EXPECT_FALSE(Point({0, 0, 0}, milliseconds(0)).connectsWith(Point({0, 0, 0}, milliseconds(0))));
}

TEST(Point, HasNoTravelAndScalesItsLocationOnly) {
    const auto point = std::make_shared<const Point>(Coordinate{1, 2, 3}, milliseconds(250), true);
    EXPECT_DOUBLE_EQ(point->itemLengthForFeatureWidth(50, 3), 50.0);
    EXPECT_FALSE(point->endingCoordinate());
    EXPECT_FALSE(point->velocity());
    EXPECT_FALSE(point->acceleration());
    EXPECT_EQ(point->limits(), (Limits{1, 1, 2, 2, 3, 3}));

    const auto reversed = patternItemAs<Point>(point->reversed());
    ASSERT_TRUE(reversed);
    EXPECT_EQ(reversed->location(), point->location());
    EXPECT_TRUE(reversed->surfaceSensing());

    const auto scaled = patternItemAs<Point>(point->scaledBy(2));
    EXPECT_EQ(scaled->location(), (Coordinate{2, 4, 6}));
    EXPECT_EQ(scaled->duration(), milliseconds(250));
    EXPECT_TRUE(scaled->surfaceSensing());
}

TEST(PatternPause, StartsHighAboveTheOriginAndReversesToItself) {
    const PatternItemPtr pause = std::make_shared<const PatternPause>(3.5);
    EXPECT_EQ(pause->startingCoordinate(), (Coordinate{0, 0, 100000.0}));
    EXPECT_FALSE(pause->endingCoordinate());
    EXPECT_EQ(pause->itemLengthForFeatureWidth(50, 1), 0.0);
    EXPECT_EQ(pause->limits(), Limits{});
    EXPECT_FALSE(pause->surfaceSensing());
    EXPECT_EQ(pause->reversed(), pause);
    const auto scaled = patternItemAs<PatternPause>(pause->scaledBy(10));
    ASSERT_TRUE(scaled);
    EXPECT_EQ(scaled->duration(), 3.5);
    EXPECT_FALSE(patternItemAs<Line>(pause));
}
