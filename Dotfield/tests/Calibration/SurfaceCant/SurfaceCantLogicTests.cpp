// The surface-cant calibration's arithmetic without the instrument: the line
// fit, the cant and the fitted lines from the points, the graphs' values and
// bounds, and the stored distances.

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Calibration/SurfaceCant/LinearRegression.hpp"
#include "Dotfield/Calibration/SurfaceCant/SurfaceCantFit.hpp"
#include "Dotfield/Calibration/SurfaceCant/SurfaceCantGraphValues.hpp"
#include "Dotfield/Calibration/SurfaceCant/SurfaceCantSettings.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"

namespace Dotfield {
namespace {

using VeltranePatterns::Coordinate;
using Pairs = std::vector<std::pair<double, double>>;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

TEST(LinearRegression, FitsOrGivesZeroForDegenerateInput) {
    struct Case {
        const char* name;
        Pairs pairs;
        LinearFit expected;
    };
    const std::vector<Case> cases{
        {"empty", {}, {0.0, 0.0}},
        {"one point", {{3.0, 4.0}}, {0.0, 0.0}},
        {"all x equal", {{2.0, 1.0}, {2.0, 5.0}, {2.0, 9.0}}, {0.0, 0.0}},
        {"two points", {{0.0, 0.0}, {1000.0, 5.0}}, {0.005, 0.0}},
        {"three on a line", {{0.0, 1.0}, {1.0, 3.0}, {2.0, 5.0}}, {2.0, 1.0}},
        {"falling", {{0.0, 10.0}, {10.0, 0.0}}, {-1.0, 10.0}},
    };
    for (const Case& c : cases) {
        const LinearFit fit = linearRegression(c.pairs);
        EXPECT_DOUBLE_EQ(fit.slope, c.expected.slope) << c.name;
        EXPECT_DOUBLE_EQ(fit.intercept, c.expected.intercept) << c.name;
    }
    // Not a number is not degenerate: it comes through.
    const LinearFit withNaN = linearRegression(Pairs{{0.0, 1.0}, {nan, 2.0}, {2.0, 3.0}});
    EXPECT_TRUE(std::isnan(withNaN.slope));
    EXPECT_TRUE(std::isnan(withNaN.intercept));
}

// Five points along each axis on the plane z = 500 + 0.004 x − 0.003 y.
std::vector<Coordinate> onPlane(const std::vector<std::pair<double, double>>& xy) {
    std::vector<Coordinate> points;
    for (const auto& [x, y] : xy) {
        points.emplace_back(x, y, 500.0 + 0.004 * x - 0.003 * y);
    }
    return points;
}

TEST(SurfaceCantFit, SlopesAndLineEndsOfBothAxes) {
    const auto pointsForX = onPlane({{1000, 2000}, {3500, 2000}, {6000, 2000}, {8500, 2000}, {11000, 2000}});
    const auto pointsForY = onPlane({{1000, 2000}, {1000, 4500}, {1000, 7000}, {1000, 9500}, {1000, 12000}});
    const SurfaceCantFit fit = fitSurfaceCant(pointsForX, pointsForY);
    EXPECT_NEAR(fit.surfaceCant.xSlope, 0.004, 1e-12);
    EXPECT_NEAR(fit.surfaceCant.ySlope, -0.003, 1e-12);
    ASSERT_EQ(fit.slopeLinePointsForX.size(), 2u);
    ASSERT_EQ(fit.slopeLinePointsForY.size(), 2u);
    for (const auto& [line, ends] : {std::pair{fit.slopeLinePointsForX, std::pair{pointsForX.front(), pointsForX.back()}},
                                     std::pair{fit.slopeLinePointsForY, std::pair{pointsForY.front(), pointsForY.back()}}}) {
        EXPECT_TRUE(line[0].matchesWithinTolerance(ends.first, 1e-9)) << line[0].preciseDescription();
        EXPECT_TRUE(line[1].matchesWithinTolerance(ends.second, 1e-9)) << line[1].preciseDescription();
    }
}

TEST(SurfaceCantFit, DegenerateOrBrokenPointsGiveZeroAndNoLines) {
    struct Case {
        const char* name;
        std::vector<Coordinate> pointsForX;
        std::vector<Coordinate> pointsForY;
        SurfaceCant expected;
        bool lines;
    };
    const Coordinate a{0, 0, 10};
    const Coordinate b{1000, 0, 14};
    const Coordinate c{0, 2000, 4};
    const std::vector<Case> cases{
        {"nothing stored", {}, {}, {0, 0}, false},
        {"one shared point", {a}, {a}, {0, 0}, true},
        {"manual points at one x", {a, Coordinate{0, 500, 30}}, {a, c}, {0, -0.003}, true},
        {"no Y points", {a, b}, {}, {0.004, 0}, false},
        {"a height that is not a number", {a, Coordinate{1000, 0, nan}}, {a, c}, {0, -0.003}, false},
        {"an infinite position", {a, b}, {a, Coordinate{0, infinity, 4}}, {0.004, 0}, false},
    };
    for (const Case& testCase : cases) {
        const SurfaceCantFit fit = fitSurfaceCant(testCase.pointsForX, testCase.pointsForY);
        EXPECT_NEAR(fit.surfaceCant.xSlope, testCase.expected.xSlope, 1e-12) << testCase.name;
        EXPECT_NEAR(fit.surfaceCant.ySlope, testCase.expected.ySlope, 1e-12) << testCase.name;
        EXPECT_EQ(fit.slopeLinePointsForX.size(), testCase.lines ? 2u : 0u) << testCase.name;
        EXPECT_EQ(fit.slopeLinePointsForY.size(), fit.slopeLinePointsForX.size()) << testCase.name;
    }
}

TEST(SurfaceCantFit, LabelsShowTheShortestRoundTripText) {
    EXPECT_EQ(xSlopeLabelText(0.004), "X slope: 0.004");
    EXPECT_EQ(ySlopeLabelText(-0.003), "Y slope: -0.003");
    EXPECT_EQ(xSlopeLabelText(0.0), "X slope: 0.0");
    EXPECT_EQ(ySlopeLabelText(1e-06), "Y slope: 1e-06");
}

TEST(SurfaceCantGraphValues, PointsRelativeToTheFirstAlongTheGraphsAxis) {
    const std::vector<Coordinate> points{{100, 200, 50}, {2600, 210, 60}, {5100, 4000, 45}};
    EXPECT_EQ(surfaceCantGraphPoints(points, points.front(), SurfaceCantAxis::x),
              (std::vector<SurfaceCantGraphPoint>{{0, 0}, {2500, 10}, {5000, -5}}));
    EXPECT_EQ(surfaceCantGraphPoints(points, points.front(), SurfaceCantAxis::y),
              (std::vector<SurfaceCantGraphPoint>{{0, 0}, {10, 10}, {3800, -5}}));
    EXPECT_TRUE(surfaceCantGraphPoints({}, points.front(), SurfaceCantAxis::x).empty());
}

TEST(SurfaceCantGraphValues, BoundsFollowTheDistanceWithSaneIntervals) {
    struct Case {
        double distance;
        SurfaceCantGraphBounds expected;
    };
    const std::vector<Case> cases{
        {10000.0, {{0, 10000, 2000, 2}, {-100, 100, 40, 5}}},
        {-10000.0, {{-10000, 0, 2000, 2}, {-100, 100, 40, 5}}},
        {50000.0, {{0, 50000, 10000, 2}, {-500, 500, 200, 5}}},
        {1000.0, {{0, 1000, 200, 2}, {-10, 10, 4, 5}}},
        // Halves round away from zero: 7.5 / 5 = 1.5.
        {7.5, {{0, 7.5, 2, 2}, {-0.075, 0.075, 1, 5}}},
        // Intervals that would round to 0 are 1 µm.
        {2.0, {{0, 2, 1, 2}, {-0.02, 0.02, 1, 5}}},
        // No length at all draws a line of 1 µm.
        {0.0, {{0, 1, 1, 2}, {-0.01, 0.01, 1, 5}}},
        {nan, {{0, 1, 1, 2}, {-0.01, 0.01, 1, 5}}},
        {infinity, {{0, 1, 1, 2}, {-0.01, 0.01, 1, 5}}},
    };
    for (const Case& c : cases) {
        const SurfaceCantGraphBounds bounds = surfaceCantGraphBounds(c.distance);
        EXPECT_EQ(bounds.distance.minimum, c.expected.distance.minimum) << c.distance;
        EXPECT_EQ(bounds.distance.maximum, c.expected.distance.maximum) << c.distance;
        EXPECT_EQ(bounds.distance.majorInterval, c.expected.distance.majorInterval) << c.distance;
        EXPECT_EQ(bounds.distance.minorTicksPerInterval, 2) << c.distance;
        EXPECT_DOUBLE_EQ(bounds.height.minimum, c.expected.height.minimum) << c.distance;
        EXPECT_DOUBLE_EQ(bounds.height.maximum, c.expected.height.maximum) << c.distance;
        EXPECT_EQ(bounds.height.majorInterval, c.expected.height.majorInterval) << c.distance;
        EXPECT_EQ(bounds.height.minorTicksPerInterval, 5) << c.distance;
    }
    // However long the line, no axis gets more than 20 major ticks nor an interval under 1 µm.
    for (const double distance : {0.3, 3.0, 99.0, 124.0, 1e6, -1e12, 1e300}) {
        const SurfaceCantGraphBounds bounds = surfaceCantGraphBounds(distance);
        for (const SurfaceCantGraphAxis& axis : {bounds.distance, bounds.height}) {
            EXPECT_GE(axis.majorInterval, minimumGraphMajorInterval) << distance;
            EXPECT_LE((axis.maximum - axis.minimum) / axis.majorInterval, maximumGraphMajorIntervals) << distance;
        }
    }
}

TEST(SurfaceCantSettings, UnusableStoredDistancesReadAsTheDefault) {
    UserDefaults store(UserDefaults::CustomDictionary{});
    EXPECT_EQ(readDistanceToCalibrate(store, distanceToCalibrateInXKey), 10000.0);
    for (const double unusable : {0.0, nan, -infinity}) {
        store.setDouble(unusable, distanceToCalibrateInXKey);
        EXPECT_EQ(readDistanceToCalibrate(store, distanceToCalibrateInXKey), 10000.0) << unusable;
    }
    store.setDouble(-2500.0, distanceToCalibrateInYKey);
    EXPECT_EQ(readDistanceToCalibrate(store, distanceToCalibrateInYKey), -2500.0);
}

} // namespace
} // namespace Dotfield
