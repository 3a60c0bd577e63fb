#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Import/DXF/BulgeArcs.hpp"

using namespace VeltranePatterns;
using Zovudidova::AngleUnit;

TEST(BulgeArcs, DirectionalArcTangentCoversEveryQuadrant) {
    struct Case {
        double x, y, expected;
    };
    const Case cases[] = {
        {1, 1, 0.7853981633974483},  {1, -1, 5.497787143782138},     {-1, -1, 3.9269908169872414},
        {-1, 1, 2.356194490192345},  {1, 0, 0.0},                    {-1, 0, 3.141592653589793},
        {0.005, 2, 1.5707963267948966}, {0, 0, 4.71238898038469},    {0, -3, 4.71238898038469},
        {std::nan(""), 1, 1.5707963267948966},
    };
    for (const Case& c : cases) {
        const Angle a = directionalArcTangent(c.x, c.y);
        EXPECT_EQ(a.unit(), AngleUnit::radians);
        EXPECT_DOUBLE_EQ(a.value(AngleUnit::radians), c.expected) << c.x << ", " << c.y;
    }
}

TEST(BulgeArcs, ArcBetweenPointsFromTheBulge) {
    struct Case {
        Coordinate first, second;
        double bulge;
        double radius, centerX, centerY, start, end;
        bool clockwise;
    };
    const Case cases[] = {
        {{0, 0, 0}, {2, 0, 0}, 1.0, 1.0, 1.0, 0.0, 3.141592653589793, 6.283185307179586, true},
        {{0, 0, 0}, {2, 0, 0}, -1.0, 1.0, 1.0, 0.0, 3.141592653589793, 6.283185307179586, false},
        {{0, 0, 0}, {2, 0, 0}, 0.5, 1.25, 1.0, 0.75, 3.7850937623830774, 5.639684198386302, true},
        {{0, 0, 0}, {2, 0, 0}, -0.5, 1.25, 1.0, -0.75, 2.498091544796509, 6.9266864159728705, false},
        {{0, 0, 0}, {0, 2, 0}, 1.0, 1.0, 0.0, 1.0, 4.71238898038469, 7.853981633974483, true},
        // z is ignored
        {{0, 0, 7}, {2, 0, -3}, 0.5, 1.25, 1.0, 0.75, 3.7850937623830774, 5.639684198386302, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bulge);
        const auto arc = calculateArcBetweenPoints(c.first, c.second, c.bulge);
        ASSERT_TRUE(arc.has_value());
        EXPECT_DOUBLE_EQ(arc->radius, c.radius);
        EXPECT_NEAR(arc->centerPoint.x, c.centerX, 1e-12);
        EXPECT_NEAR(arc->centerPoint.y, c.centerY, 1e-12);
        EXPECT_DOUBLE_EQ(arc->startingAngle.value(AngleUnit::radians), c.start);
        EXPECT_DOUBLE_EQ(arc->endingAngle.value(AngleUnit::radians), c.end);
        EXPECT_EQ(arc->startingAngle.unit(), AngleUnit::radians);
        EXPECT_EQ(arc->clockwise, c.clockwise);
    }
}

TEST(BulgeArcs, NoArcWithoutAChordOrABulge) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(calculateArcBetweenPoints({1, 1, 0}, {1, 1, 5}, 0.5)); // zero chord
    EXPECT_FALSE(calculateArcBetweenPoints({0, 0, 0}, {2, 0, 0}, 0.0));
    EXPECT_FALSE(calculateArcBetweenPoints({0, 0, 0}, {2, 0, 0}, -0.0));
    EXPECT_FALSE(calculateArcBetweenPoints({0, 0, 0}, {2, 0, 0}, nan));
    EXPECT_FALSE(calculateArcBetweenPoints({0, 0, 0}, {2, 0, 0}, inf));
    EXPECT_FALSE(calculateArcBetweenPoints({nan, 0, 0}, {2, 0, 0}, 1.0));
    EXPECT_FALSE(calculateArcBetweenPoints({0, 0, 0}, {1e308, -1e308, 0}, 1.0)); // chord overflows
    EXPECT_FALSE(calculateArcBetweenPoints({0, 0, 0}, {2, 0, 0}, 1e-320));      // radius overflows
}
