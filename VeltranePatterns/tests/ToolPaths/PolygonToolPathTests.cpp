#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "VeltranePatterns/Source/ToolPaths/PolygonToolPath.hpp"
#include "VeltranePatterns/Source/ToolPaths/ToolPathLength.hpp"

using namespace VeltranePatterns;

namespace {

std::vector<Coordinate> square(bool clockwise) {
    std::vector<Coordinate> points{{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}};
    if (clockwise) {
        points = {{0, 0, 0}, {0, 100, 0}, {100, 100, 0}, {100, 0, 0}};
    }
    return points;
}

std::vector<Coordinate> regularPolygon(int vertices, double radius) {
    std::vector<Coordinate> points;
    for (int i = 0; i < vertices; ++i) {
        const double angle = 2.0 * std::numbers::pi * i / vertices;
        points.emplace_back(radius * std::cos(angle), radius * std::sin(angle), 0.0);
    }
    return points;
}

void expectPath(const std::vector<Coordinate>& actual, const std::vector<Coordinate>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_TRUE(actual[i].matchesWithinTolerance(expected[i], 1e-9))
            << "point " << i << ": " << actual[i].preciseDescription() << " vs "
            << expected[i].preciseDescription();
    }
}

} // namespace

TEST(PolygonToolPath, SquareSpiralsInwardInBothOrientations) {
    const std::vector<Coordinate> counterClockwise{
        {100, 0, 0}, {100, 100, 0}, {0, 100, 0}, {0, 10, 0},  {90, 10, 0}, {90, 90, 0}, {10, 90, 0},
        {10, 20, 0}, {80, 20, 0},   {80, 80, 0}, {20, 80, 0}, {20, 30, 0}, {70, 30, 0}, {70, 70, 0},
        {30, 70, 0}, {30, 40, 0},   {60, 40, 0}, {60, 60, 0}, {40, 60, 0}, {40, 50, 0}, {50, 50, 0}};
    const Polygon polygon(square(false));
    expectPath(calculatePolygonDrawingCoordinates(polygon, 20, 1), counterClockwise);

    // The same square walked the other way is the mirror image in x and y.
    std::vector<Coordinate> clockwise;
    for (const Coordinate& c : counterClockwise) {
        clockwise.emplace_back(c.y, c.x, c.z);
    }
    expectPath(calculatePolygonDrawingCoordinates(Polygon(square(true)), 20, 1), clockwise);

    const std::vector<Coordinate> path = calculatePolygonDrawingCoordinates(polygon, 20, 1);
    EXPECT_DOUBLE_EQ(polygon.itemLengthForFeatureWidth(20, 1), toolPathLength({0, 0, 0}, path));
    EXPECT_DOUBLE_EQ(polygon.itemLengthForFeatureWidth(20, 1) - toolPathLength(path.front(), path), 100.0);
    // Feature width and scale factor enter only through the ring spacing.
    expectPath(calculatePolygonDrawingCoordinates(polygon, 40, 2), counterClockwise);
}

// Rings of a tessellated circle lie one ring spacing apart, so the path is
// about as long as the area over the spacing.
TEST(PolygonToolPath, RingsOfTessellatedCirclesAreOneSpacingApart) {
    for (const int vertices : {64, 128, 360, 1000}) {
        const std::vector<Coordinate> outline = regularPolygon(vertices, 1000);
        const Polygon polygon(outline);
        const std::vector<Coordinate> path = calculatePolygonDrawingCoordinates(polygon, 20, 1);
        const double area = 0.5 * vertices * 1000.0 * 1000.0 * std::sin(2.0 * std::numbers::pi / vertices);
        const double length = polygon.itemLengthForFeatureWidth(20, 1);
        EXPECT_LE(length, 1.3 * area / 10.0) << vertices << " vertices";
        EXPECT_GE(length, 0.9 * area / 10.0) << vertices << " vertices";
        // The spiral ends near the centre and never leaves the outline's box.
        ASSERT_FALSE(path.empty());
        EXPECT_LT(path.back().magnitude(), 20.0) << vertices << " vertices";
        for (const Coordinate& c : path) {
            ASSERT_LE(c.magnitude(), 1000.0 + 1e-6);
        }
    }
}

// Random convex outlines, including thin ones whose rings lose corners as they
// shrink: the path never leaves the outline's extent and covers it without
// printing it several times over. Every fourth outline is a star with a
// repeated point, which is not convex: its path still stays within the extent.
TEST(PolygonToolPath, PathsOfConvexOutlinesStayWithinTheOutline) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int trial = 0; trial < 150; ++trial) {
        const int vertices = 3 + static_cast<int>(unit(random) * 60);
        const double rx = 50 + unit(random) * 2000;
        const double ry = 50 + unit(random) * 2000;
        std::vector<double> angles;
        for (int i = 0; i < vertices; ++i) {
            angles.push_back(unit(random) * 2 * std::numbers::pi);
        }
        std::sort(angles.begin(), angles.end());
        if (trial % 2 == 1) {
            std::reverse(angles.begin(), angles.end());
        }
        const bool star = trial % 4 == 3;
        std::vector<Coordinate> outline;
        for (const double angle : angles) {
            const double r = star ? 0.1 + unit(random) : 1.0;
            outline.emplace_back(r * rx * std::cos(angle), r * ry * std::sin(angle), 0.0);
        }
        if (star) {
            outline.push_back(outline.front());
        }
        const double featureWidth = 2 + unit(random) * 40;
        const Polygon polygon(outline);
        const std::vector<Coordinate> path = calculatePolygonDrawingCoordinates(polygon, featureWidth, 1);
        const Limits extent = polygon.limits();
        for (const Coordinate& c : path) {
            ASSERT_TRUE(c.x >= extent.minX - 1e-6 && c.x <= extent.maxX + 1e-6 && c.y >= extent.minY - 1e-6 &&
                        c.y <= extent.maxY + 1e-6)
                << "trial " << trial << ": " << c.preciseDescription();
        }
        double twiceArea = 0;
        for (std::size_t i = 0; i < outline.size(); ++i) {
            const Coordinate& a = outline[i];
            const Coordinate& b = outline[(i + 1) % outline.size()];
            twiceArea += a.x * b.y - a.y * b.x;
        }
        const double coverage = std::fabs(twiceArea) / featureWidth;
        if (!star && coverage > 1000) {
            EXPECT_LT(polygon.itemLengthForFeatureWidth(featureWidth, 1), 3 * coverage) << "trial " << trial;
        }
    }
}

TEST(PolygonToolPath, DegenerateInputGivesNoPathPromptly) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    const Polygon square100(square(false));
    const auto start = std::chrono::steady_clock::now();
    for (const auto& [featureWidth, scaleFactor] : std::vector<std::pair<double, double>>{
             {0, 1}, {-20, 1}, {nan, 1}, {20, 0}, {20, inf}, {inf, 1}, {20, nan}}) {
        EXPECT_TRUE(calculatePolygonDrawingCoordinates(square100, featureWidth, scaleFactor).empty())
            << featureWidth << " / " << scaleFactor;
        EXPECT_EQ(square100.itemLengthForFeatureWidth(featureWidth, scaleFactor), 0.0);
    }
    EXPECT_TRUE(
        calculatePolygonDrawingCoordinates(Polygon({{0, 0, 0}, {nan, 0, 0}, {0, 10, 0}}), 2, 1).empty());
    EXPECT_TRUE(
        calculatePolygonDrawingCoordinates(Polygon({{0, 0, 0}, {inf, 0, 0}, {0, 10, 0}}), 2, 1).empty());
    EXPECT_TRUE(calculatePolygonDrawingCoordinates(Polygon({{0, 0, 0}, {10, 0, 0}}), 2, 1).empty());
    // Outlines without area end after a few passes.
    EXPECT_LE(
        calculatePolygonDrawingCoordinates(Polygon({{0, 0, 0}, {10, 0, 0}, {20, 0, 0}, {30, 0, 0}}), 2, 1)
            .size(),
        100u);
    EXPECT_LE(calculatePolygonDrawingCoordinates(Polygon({{5, 5, 0}, {5, 5, 0}, {5, 5, 0}}), 2, 1).size(),
              3u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    const Polygon empty({});
    EXPECT_EQ(empty.startingCoordinate(), Coordinate::zero);
    EXPECT_EQ(empty.limits(), Limits{});
    EXPECT_EQ(empty.itemLengthForFeatureWidth(20, 1), 0.0);
}
