#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Items/Polygon.hpp"

using namespace VeltranePatterns;

TEST(Polygon, ReversesToItselfAndScalesEveryComponent) {
    const PatternItemPtr polygon = std::make_shared<const Polygon>(
        std::vector<Coordinate>{{0, 0, 1}, {10, 0, 2}, {0, 5, 3}}, 4.0, 6.0, true);
    EXPECT_EQ(polygon->reversed(), polygon);
    EXPECT_FALSE(polygon->endingCoordinate());
    EXPECT_EQ(polygon->startingCoordinate(), (Coordinate{0, 0, 1}));
    EXPECT_EQ(polygon->limits(), (Limits{0, 10, 0, 5, 1, 3}));

    const auto scaled = patternItemAs<Polygon>(polygon->scaledBy(2));
    ASSERT_TRUE(scaled);
    EXPECT_EQ(scaled->points(), (std::vector<Coordinate>{{0, 0, 2}, {20, 0, 4}, {0, 10, 6}}));
    EXPECT_EQ(scaled->velocity(), 4.0);
    EXPECT_EQ(scaled->acceleration(), 6.0);
    EXPECT_TRUE(scaled->surfaceSensing());

    // An item that does not live in a shared pointer reverses to an equal copy.
    const Polygon standalone({{1, 1, 1}, {2, 2, 2}, {3, 1, 1}});
    EXPECT_EQ(patternItemAs<Polygon>(standalone.reversed())->points(), standalone.points());
}
