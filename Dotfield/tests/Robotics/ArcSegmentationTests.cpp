#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <vector>

#include "Dotfield/Robotics/ArcSegmentation.hpp"
#include "Dotfield/Robotics/CorrectedPoint.hpp"
#include "Dotfield/Robotics/SurfaceTopographyMap.hpp"

namespace Dotfield {
namespace {

using VeltranePatterns::Coordinate;
using VeltranePatterns::RotationalDirection;
using Zovudidova::degrees;
using Zovudidova::radians;

constexpr double pi = std::numbers::pi;

void expectNear(const Coordinate& actual, const Coordinate& expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-9);
    EXPECT_NEAR(actual.y, expected.y, 1e-9);
    EXPECT_NEAR(actual.z, expected.z, 1e-9);
}

// A map over X, Y in [0, 2000] whose height is X / 100 + Y / 1000.
std::shared_ptr<SurfaceTopographyMap> slopedMap() {
    auto map = std::make_shared<SurfaceTopographyMap>();
    for (double y : {0.0, 1000.0, 2000.0}) {
        for (double x : {0.0, 1000.0, 2000.0}) {
            map->addPoint({x, y, x / 100.0 + y / 1000.0});
        }
    }
    return map;
}

TEST(CorrectedPoint, ScalesTurnsMovesAndRaisesByTheMapOrElseTheCant) {
    PatternCorrections corrections{{1000, 1000, 300}, {0.01, 0.02}, 2.0, radians(pi / 2), nullptr};
    // (100, 0) scaled to (200, 0), turned to (0, 200), moved to (1000, 1200):
    // the cant raises it by 200 × 0.02.
    expectNear(correctedPoint({100, 0, 0}, corrections), {1000, 1200, 304});

    corrections.topographyMap = slopedMap();
    // The map's height at (1000, 1200) minus at the anchor (1000, 1000): 0.2.
    expectNear(correctedPoint({100, 0, 0}, corrections), {1000, 1200, 300.2});
    // Off the map at the point: the cant again, 1200 × 0.01 + 600 × 0.02.
    expectNear(correctedPoint({300, -600, 0}, corrections), {2200, 1600, 324});

    // Off the map at the anchor: the cant even where the point is on the map.
    corrections.patternStart = {-500, 1000, 0};
    expectNear(correctedPoint({300, -600, 0}, corrections), {700, 1600, 24});
}

TEST(ArcSegmentation, AQuarterTurnClockwiseEndsExactlyAtTheEndAngle) {
    const PatternCorrections corrections{{5000, 6000, 100}, {}, 1.0, radians(0.0), nullptr};
    const auto points = calculateArcDrawingCoordinates(
        50, radians(0), radians(pi / 2), RotationalDirection::clockwise, {0, 0, 0}, 1000, corrections);
    ASSERT_EQ(points.size(), 31u);
    const double step = (pi / 2) / 31;
    for (std::size_t k = 1; k < 31; ++k) {
        const double angle = static_cast<double>(k) * step;
        expectNear(points[k - 1], {5000 + 1000 * std::cos(angle), 6000 + 1000 * std::sin(angle), 100});
    }
    EXPECT_EQ(points.back(),
              correctedPoint({std::cos(pi / 2) * 1000, std::sin(pi / 2) * 1000, 0}, corrections));
}

TEST(ArcSegmentation, DirectionDecidesWhichWayRoundTheArcGoes) {
    const PatternCorrections none;
    // Counter-clockwise from 0 to a quarter turn: down through three quarters.
    const auto down = calculateArcDrawingCoordinates(
        50, radians(0), radians(pi / 2), RotationalDirection::counterClockwise, {0, 0, 0}, 1000, none);
    ASSERT_EQ(down.size(), 94u); // floor(3π/2 × 1000 / 50)
    const double downStep = -1.5 * pi / 94;
    expectNear(down.front(), {1000 * std::cos(2 * pi + downStep), 1000 * std::sin(2 * pi + downStep), 0});
    EXPECT_LT(down.front().y, 0);
    expectNear(down.back(), {0, 1000, 0});

    // Equal angles are a whole turn, up clockwise and down counter-clockwise.
    for (const auto direction : {RotationalDirection::clockwise, RotationalDirection::counterClockwise}) {
        const auto circle =
            calculateArcDrawingCoordinates(50, degrees(90), degrees(90), direction, {10, 20, 30}, 100, none);
        ASSERT_EQ(circle.size(), 12u); // floor(2π × 100 / 50)
        const double sign = direction == RotationalDirection::clockwise ? 1.0 : -1.0;
        const double first = pi / 2 + sign * 2 * pi / 12;
        expectNear(circle.front(), {10 + 100 * std::cos(first), 20 + 100 * std::sin(first), 30});
        expectNear(circle.back(), {10, 120, 30});
    }

    // A clockwise arc whose end angle is below its start goes on through zero.
    const auto wrapped = calculateArcDrawingCoordinates(
        50, radians(3 * pi / 2), radians(0), RotationalDirection::clockwise, {0, 0, 0}, 1000, none);
    EXPECT_EQ(wrapped.size(), 31u);
}

TEST(ArcSegmentation, ScaleAndMapShapeThePoints) {
    PatternCorrections corrections{{500, 500, 0}, {0.5, 0.5}, 10.0, radians(0.0), slopedMap()};
    // Radius 100 at scale 10 is an arc of radius 1000 µm around the anchor.
    const auto points = calculateArcDrawingCoordinates(
        50, radians(0), radians(pi / 2), RotationalDirection::clockwise, {0, 0, 0}, 100, corrections);
    ASSERT_EQ(points.size(), 31u);
    for (const Coordinate& point : points) {
        EXPECT_NEAR(std::hypot(point.x - 500, point.y - 500), 1000, 1e-9);
        EXPECT_NEAR(point.z, (point.x - 500) / 100 + (point.y - 500) / 1000, 1e-9);
    }
    // (1500, 500) lies on the map: its height difference to the anchor is 10.
    expectNear(points.back(), {500, 1500, 1});
}

TEST(ArcSegmentation, ArcsTooShortOrNotFiniteGiveNoPointsAndHugeOnesAreCapped) {
    const PatternCorrections none;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        double segmentLength;
        double startAngle;
        double endAngle;
        double radius;
        Coordinate center;
        double scale;
    };
    const Case cases[] = {
        {"shorter than one segment", 50, 0, pi / 2, 10, {}, 1},
        {"negative radius", 50, 0, pi / 2, -1000, {}, 1},
        {"zero segment length", 0, 0, pi / 2, 1000, {}, 1},
        {"negative segment length", -50, 0, pi / 2, 1000, {}, 1},
        {"segment length not a number", nan, 0, pi / 2, 1000, {}, 1},
        {"start angle not a number", 50, nan, pi / 2, 1000, {}, 1},
        {"infinite end angle", 50, 0, inf, 1000, {}, 1},
        {"infinite radius", 50, 0, pi / 2, inf, {}, 1},
        {"scale not a number", 50, 0, pi / 2, 1000, {}, nan},
        {"centre not a number", 50, 0, pi / 2, 1000, {nan, 0, 0}, 1},
    };
    for (const Case& c : cases) {
        PatternCorrections corrections;
        corrections.scaleFactor = c.scale;
        EXPECT_TRUE(calculateArcDrawingCoordinates(c.segmentLength, radians(c.startAngle),
                                                   radians(c.endAngle), RotationalDirection::clockwise,
                                                   c.center, c.radius, corrections)
                        .empty())
            << c.name;
    }

    const auto capped = calculateArcDrawingCoordinates(50, radians(0), radians(pi),
                                                       RotationalDirection::clockwise, {0, 0, 0}, 1e15, none);
    ASSERT_EQ(capped.size(), maximumArcDrawingPoints);
    EXPECT_NEAR(capped.back().x, -1e15, 1.0);
    EXPECT_NEAR(capped.back().y, 0.0, 1.0);
}

} // namespace
} // namespace Dotfield
