#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

using namespace VeltranePatterns;
using namespace Zovudidova;

namespace {
constexpr double nan_ = std::numeric_limits<double>::quiet_NaN();

void expectNear(const Coordinate& actual, const Coordinate& expected) {
    EXPECT_TRUE(actual.matchesWithinTolerance(expected, 1e-9))
        << actual.preciseDescription() << " vs " << expected.preciseDescription();
}
} // namespace

TEST(Coordinate, ToleranceTestsAreInclusiveAndFailOnNaN) {
    EXPECT_TRUE(Coordinate(0, 0, 0).matchesWithinTolerance({0.01, 0, 0}, 0.01));
    EXPECT_FALSE(Coordinate(0, 0, 0).matchesWithinTolerance({0.0100001, 0, 0}, 0.01));
    EXPECT_TRUE(Coordinate(0, 0, 0).matchesXYWithinTolerance({0.01, 0, 99}, 0.01));
    EXPECT_FALSE(Coordinate(nan_, 0, 0).matchesWithinTolerance({0, 0, 0}, 1e300));
    EXPECT_FALSE(Coordinate(nan_, 0, 0) == Coordinate(nan_, 0, 0));

    EXPECT_EQ(Coordinate(0, 0, 0).differenceAboveMargin(Coordinate(1, 2, 0.5), 1.0), (AxisFlags{false, true, false}));
    EXPECT_EQ(Coordinate(nan_, 0, 0).differenceAboveMargin(Coordinate(0, 0, 0), 1.0), (AxisFlags{true, false, false}));
    EXPECT_EQ(Coordinate(0, 0, 0).differenceAboveMargin(std::optional<Coordinate>{}, 1.0), (AxisFlags{true, true, true}));

    const std::vector<double> a{1, 2}, b{1, 2, 3}, none;
    EXPECT_FALSE(equalWithinMargin(a, b, 1e300));
    EXPECT_TRUE(equalWithinMargin(none, none, 0));
    EXPECT_TRUE(equalWithinMargin(a, std::vector<double>{1.5, 2.5}, 0.5));
    const std::vector<Coordinate> c1{{0, 0, 0}}, c2{{0, 0, 0.5}};
    EXPECT_TRUE(coordinateArraysMatchWithinTolerance(c1, c2, 0.5));
    EXPECT_FALSE(coordinateArraysMatchWithinTolerance(c1, c2, 0.4));
}

TEST(Coordinate, NormalizedAndProducts) {
    EXPECT_EQ(Coordinate(0.005, 0, 0).normalized(), Coordinate::zero);
    expectNear(Coordinate(0, 3, 4).normalized(), {0, 0.6, 0.8});
    EXPECT_EQ(crossProduct({1, 0, 0}, {0, 1, 0}), Coordinate(0, 0, 1));
    EXPECT_EQ(dotProduct({1, 2, 3}, {4, 5, 6}), 32.0);
    EXPECT_EQ(distance({0, 0, 0}, {2, 3, 6}), 7.0);
    EXPECT_EQ(distanceXY({0, 0, 0}, {3, 4, 100}), 5.0);
    EXPECT_EQ(Coordinate(1, 2, 3) * (ScaleFactors{2, 3, 4}), Coordinate(2, 6, 12));
}

TEST(Coordinate, AngleFromHorizon) {
    const Coordinate o = Coordinate::zero;
    const std::pair<Coordinate, double> cases[] = {
        {{0, -5, 0}, 3 * std::numbers::pi / 2},  {{5, -5, 0}, -std::numbers::pi / 4},
        {{-5, -5, 0}, 5 * std::numbers::pi / 4}, {{0, 0, 0}, 0.0},
        {{0, 5, 0}, std::numbers::pi / 2},       {{-5, 0, 0}, std::numbers::pi},
    };
    for (const auto& [point, expected] : cases) {
        const Angle a = rotationAngleFromHorizonToPoints(o, point);
        EXPECT_EQ(a.unit(), AngleUnit::radians);
        EXPECT_NEAR(a.value(AngleUnit::radians), expected, 1e-15) << point.description();
    }
}

TEST(Coordinate, Corrections) {
    expectNear(Coordinate(10, 0, 7).correctForRotation(degrees(90), {0, 0, 99}), {0, 10, 7});
    expectNear(Coordinate(1, 0, 0).correctForOffset({5, 5, 5}, {2, 1, 1}, degrees(90)), {5, 7, 5});
    expectNear(Coordinate(3, 4, 1).correctForRotation(radians(std::numbers::pi), {1, 1, 0}), {-1, -2, 1});
    EXPECT_EQ(Coordinate(1, 1, 5).correctForRotation(degrees(45), {1, 1, 0}), Coordinate(1, 1, 5));
    EXPECT_EQ(Coordinate(2, 4, 6).correctForScale({2, 0.5, 1}, {1, 1, 1}), Coordinate(3, 2.5, 6));
    EXPECT_EQ(Coordinate(2, 4, 6).coordinateByIncreasingHeight(1), Coordinate(2, 4, 7));
    EXPECT_EQ(Coordinate(2, 4, 6).coordinateWithZ(-1), Coordinate(2, 4, -1));
}

TEST(Coordinate, Descriptions) {
    EXPECT_EQ(Coordinate(0.5, -0.5, 1e6).description(), "(1, -1, 1000000)");
    EXPECT_EQ(Coordinate(1.4, -2.5, 3.5).description(), "(1, -3, 4)");
    EXPECT_EQ(Coordinate(-0.4, 0, 0).description(), "(0, 0, 0)");
    // Out of the 64-bit range: a text, never undefined behaviour.
    EXPECT_EQ(Coordinate(nan_, INFINITY, 1e300).description(), "(nan, inf, 1e+300)");
    EXPECT_EQ(Coordinate(1, 0.1, -INFINITY).preciseDescription(), "(1.0, 0.1, -inf)");
}

TEST(Coordinate, LimitsOfASequence) {
    EXPECT_EQ(limits(std::vector<Coordinate>{}), Limits{});
    EXPECT_EQ(limits(std::vector<Coordinate>{{1, 2, 3}}), (Limits{1, 1, 2, 2, 3, 3}));
    EXPECT_EQ(limits(std::vector<Coordinate>{{1, 2, 3}, {-1, 5, 0}, {4, -2, 9}}), (Limits{-1, 4, -2, 5, 0, 9}));
}
