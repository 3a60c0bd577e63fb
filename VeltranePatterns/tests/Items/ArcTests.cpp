#include <numbers>

#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Items/PatternItems.hpp"

using namespace VeltranePatterns;
using Zovudidova::degrees;
using Zovudidova::radians;

namespace {
void expectNear(const Coordinate& actual, const Coordinate& expected) {
    EXPECT_TRUE(actual.matchesWithinTolerance(expected, 1e-9))
        << actual.preciseDescription() << " vs " << expected.preciseDescription();
}
} // namespace

TEST(Arc, EndsLengthAndLimitsOfTheWholeCircle) {
    for (const RotationalDirection direction :
         {RotationalDirection::clockwise, RotationalDirection::counterClockwise}) {
        const Arc arc({100, 100, 5}, degrees(0), degrees(90), 10, direction);
        expectNear(arc.startingCoordinate(), {110, 100, 5});
        expectNear(*arc.endingCoordinate(), {100, 110, 5});
        EXPECT_EQ(arc.limits(), (Limits{90, 110, 90, 110, 5, 5}));
        EXPECT_DOUBLE_EQ(arc.itemLengthForFeatureWidth(7, 3), 10 * std::numbers::pi / 2);
        // The span is neither reduced to one turn nor chosen by direction.
        EXPECT_NEAR(Arc({0, 0, 0}, degrees(350), degrees(10), 10, direction).itemLengthForFeatureWidth(1, 1),
                    10 * 340 * std::numbers::pi / 180, 1e-9);
        EXPECT_NEAR(Arc({0, 0, 0}, degrees(0), degrees(720), 1, direction).itemLengthForFeatureWidth(1, 1),
                    4 * std::numbers::pi, 1e-9);
    }
    EXPECT_DOUBLE_EQ(
        Arc({0, 0, 0}, radians(0), radians(std::numbers::pi / 2), 10, RotationalDirection::clockwise)
            .itemLengthForFeatureWidth(1, 1),
        10 * std::numbers::pi / 2);
    // Mixed units: the end angle is read in the start angle's unit.
    EXPECT_NEAR(Arc({0, 0, 0}, degrees(0), radians(std::numbers::pi), 1, RotationalDirection::clockwise)
                    .itemLengthForFeatureWidth(1, 1),
                std::numbers::pi, 1e-12);
}

TEST(Arc, ReversalAndScaling) {
    const auto arc = std::make_shared<const Arc>(Coordinate{1, 2, 3}, degrees(0), degrees(90), 10,
                                                 RotationalDirection::clockwise, 4.0, 5.0, true);
    const auto reversed = patternItemAs<Arc>(arc->reversed());
    ASSERT_TRUE(reversed);
    EXPECT_EQ(reversed->startAngle(), degrees(90));
    EXPECT_EQ(reversed->endAngle(), degrees(0));
    EXPECT_EQ(reversed->direction(), RotationalDirection::counterClockwise);
    EXPECT_EQ(reversed->centerPoint(), arc->centerPoint());
    EXPECT_EQ(reversed->velocity(), 4.0);
    EXPECT_TRUE(reversed->surfaceSensing());
    expectNear(reversed->startingCoordinate(), *arc->endingCoordinate());

    const auto scaled = patternItemAs<Arc>(arc->scaledBy(2));
    EXPECT_EQ(scaled->centerPoint(), (Coordinate{2, 4, 6}));
    EXPECT_EQ(scaled->radius(), 20);
    EXPECT_EQ(scaled->startAngle(), degrees(0));
    EXPECT_EQ(scaled->endAngle(), degrees(90));
    EXPECT_EQ(scaled->direction(), RotationalDirection::clockwise);
    EXPECT_EQ(scaled->acceleration(), 5.0);
}

TEST(ArcFill, StartsOutsideEndsInsideAndScalesBothRadii) {
    const auto fill = std::make_shared<const ArcFill>(2, 10, Coordinate{0, 0, 0}, degrees(0), degrees(90),
                                                      RotationalDirection::counterClockwise);
    expectNear(fill->startingCoordinate(), {10, 0, 0});
    expectNear(*fill->endingCoordinate(), {0, 2, 0});
    EXPECT_EQ(fill->limits(), (Limits{-10, 10, -10, 10, 0, 0}));
    EXPECT_DOUBLE_EQ(fill->itemLengthForFeatureWidth(3, 4), 10 * std::numbers::pi / 2);

    const auto reversed = patternItemAs<ArcFill>(fill->reversed());
    EXPECT_EQ(reversed->startAngle(), degrees(90));
    EXPECT_EQ(reversed->direction(), RotationalDirection::clockwise);
    EXPECT_EQ(reversed->insideRadius(), 2);
    EXPECT_EQ(reversed->outsideRadius(), 10);

    const auto scaled = patternItemAs<ArcFill>(
        ArcFill(2, 10, {1, 1, 1}, degrees(0), degrees(90), RotationalDirection::clockwise).scaledBy(3));
    EXPECT_EQ(scaled->insideRadius(), 6);
    EXPECT_EQ(scaled->outsideRadius(), 30);
    EXPECT_EQ(scaled->centerPoint(), (Coordinate{3, 3, 3}));

    EXPECT_EQ(
        ArcFill(2.5, 10, {}, degrees(0), degrees(1), RotationalDirection::clockwise).scaledInsideRadius(1),
        3);
    EXPECT_EQ(
        ArcFill(2.25, 10, {}, degrees(0), degrees(1), RotationalDirection::clockwise).scaledInsideRadius(2),
        5);
    EXPECT_EQ(
        ArcFill(-2.5, 10, {}, degrees(0), degrees(1), RotationalDirection::clockwise).scaledInsideRadius(1),
        -3);
}
