// Lines and arcs planned as timed contour points.

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Robotics/SmartMotor/ContouringPlanner.hpp"

namespace Dotfield {
namespace {

using VeltranePatterns::Coordinate;
using VeltranePatterns::RotationalDirection;
using Zovudidova::radians;

constexpr double olderPeriod = 0.00024576;
constexpr double newerPeriod = 0.00012288;
constexpr double pi = std::numbers::pi;

TEST(ContouringPlanner, TheWorkedLineOnOlderMotors) {
    const auto points = planLinearMove(16, false, {0, 0, 0}, {1000, 0, 0}, 1000.0, 10000.0, olderPeriod);
    ASSERT_EQ(points.size(), 19u);
    for (std::size_t i = 0; i < 18; ++i) {
        EXPECT_EQ(points[i].timestamp, static_cast<std::int64_t>(i) * 256);
        EXPECT_EQ(points[i].coordinate.y, 0.0);
        EXPECT_EQ(points[i].coordinate.z, 0.0);
    }
    EXPECT_EQ(points[18].timestamp, 4608);
    const std::vector<double> head{0, 20, 76};
    const std::vector<double> tail{956, 995, 1000};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(points[i].coordinate.x, head[i]);
        EXPECT_EQ(points[16 + i].coordinate.x, tail[i]);
    }
    // Accelerating, cruising (1000 µm/s, 62.9 µm per step), decelerating.
    for (std::size_t i = 1; i < points.size(); ++i) {
        EXPECT_GT(points[i].coordinate.x, points[i - 1].coordinate.x);
        EXPECT_LE(points[i].coordinate.x - points[i - 1].coordinate.x, 63.0);
    }
}

TEST(ContouringPlanner, TheWorkedLineOnNewerMotors) {
    const auto points = planLinearMove(16, true, {0, 0, 0}, {1000, 0, 0}, 1000.0, 10000.0, newerPeriod);
    ASSERT_EQ(points.size(), 36u);
    for (const ContouringCoordinate& point : points) {
        EXPECT_EQ(point.timestamp, 256);
    }
    EXPECT_EQ(points.back().coordinate, (Coordinate{1000, 0, 0}));
}

TEST(ContouringPlanner, SampleStepsAndTheEndPoint) {
    struct Case {
        const char* name;
        bool newMotors;
        Coordinate end;
        double velocity;
        std::size_t points; // samples, and the end point when appended
        std::int64_t step;
    };
    // 10 µm at v 1000, a 10000: a triangle of 63 ms, n = 514 samples of
    // 0.12288 ms; 514/16 gives s = 64, and the 9th sample rounds onto the end,
    // so nothing is appended. The older motors (n = 257) would take s = 32,
    // raised to 64: 5 samples, the last at the end. The worked line appends its
    // end after 18 (older) or 35 (newer) samples. A crawl takes s = 256.
    const std::vector<Case> cases{
        {"short, newer", true, {10, 0, 0}, 1000.0, 9, 64},
        {"short, older", false, {10, 0, 0}, 1000.0, 5, 64},
        {"worked, older", false, {1000, 0, 0}, 1000.0, 19, 256},
        {"worked, newer", true, {1000, 0, 0}, 1000.0, 36, 256},
        {"slow, newer", true, {0, 3000, 0}, 10.0, 9537, 256},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const double period = c.newMotors ? newerPeriod : olderPeriod;
        const auto points = planLinearMove(16, c.newMotors, {0, 0, 0}, c.end, c.velocity, 10000.0, period);
        ASSERT_EQ(points.size(), c.points);
        EXPECT_EQ(c.newMotors ? points[1].timestamp : points[1].timestamp - points[0].timestamp, c.step);
        EXPECT_EQ(points.back().coordinate, c.end);
    }
}

TEST(ContouringPlanner, OnlyTheOffsetFromTheStartIsRounded) {
    const Coordinate start{10.25, -3.5, 7.75};
    const auto points = planLinearMove(16, true, start, start + Coordinate{300, 400, 0}, 1000.0, 10000.0, newerPeriod);
    for (const ContouringCoordinate& point : points) {
        const Coordinate offset = point.coordinate - start;
        EXPECT_EQ(offset.x, std::round(offset.x));
        EXPECT_EQ(offset.y, std::round(offset.y));
        EXPECT_EQ(offset.z, 0.0);
    }
}

TEST(ContouringPlanner, AnArcRunsAlongItsCircleInItsDirection) {
    struct Case {
        const char* name;
        double from, to;
        RotationalDirection direction;
        double sweep; // signed, radians
    };
    const std::vector<Case> cases{
        {"clockwise quarter", 0, pi / 2, RotationalDirection::clockwise, pi / 2},
        {"clockwise past zero", pi / 2, 0, RotationalDirection::clockwise, 3 * pi / 2},
        {"counter-clockwise three quarters", 0, pi / 2, RotationalDirection::counterClockwise, -3 * pi / 2},
        {"full circle clockwise", 1, 1, RotationalDirection::clockwise, 2 * pi},
        {"full circle counter-clockwise", 1, 1, RotationalDirection::counterClockwise, -2 * pi},
    };
    const Coordinate center{5000, 6000, 70};
    const double r = 1000.0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto points = planArcMove(radians(c.from), radians(c.to), center, r, 2000.0, 20000.0, 32, true,
                                        c.direction, newerPeriod);
        ASSERT_GE(points.size(), 3u);
        double turned = 0.0;
        double previous = c.from;
        for (const ContouringCoordinate& point : points) {
            const Coordinate d = point.coordinate - center;
            EXPECT_NEAR(std::hypot(d.x, d.y), r, 1.0);
            EXPECT_EQ(point.coordinate.z, 70.0);
            // The angle moves one way only, by less than a quarter turn per step.
            const double angle = std::atan2(d.y, d.x);
            const double step = std::remainder(angle - previous, 2 * pi);
            EXPECT_GE(step * c.sweep, -1e-3);
            EXPECT_LT(std::fabs(step), pi / 2);
            turned += step;
            previous = angle;
        }
        EXPECT_NEAR(turned, c.sweep, 2e-3);
    }
}

TEST(ContouringPlanner, ANegativeRadiusPutsThePointsAcrossTheCentre) {
    const auto plain = planArcMove(radians(0), radians(1), {0, 0, 0}, 500.0, 1000.0, 10000.0, 32, false,
                                   RotationalDirection::clockwise, olderPeriod);
    const auto mirrored = planArcMove(radians(0), radians(1), {0, 0, 0}, -500.0, 1000.0, 10000.0, 32, false,
                                      RotationalDirection::clockwise, olderPeriod);
    ASSERT_EQ(plain.size(), mirrored.size());
    for (std::size_t i = 0; i < plain.size(); ++i) {
        EXPECT_EQ(plain[i].coordinate * -1.0, mirrored[i].coordinate);
        EXPECT_EQ(plain[i].timestamp, mirrored[i].timestamp);
    }
}

TEST(ContouringPlanner, NothingToTravelPlansTheStartAlone) {
    const Coordinate p{100, 200, 300};
    EXPECT_EQ(planLinearMove(16, true, p, p, 1000.0, 10000.0, newerPeriod),
              (std::vector<ContouringCoordinate>{{p, 0}}));
    EXPECT_EQ(planArcMove(radians(0), radians(1), p, 0.0, 1000.0, 10000.0, 32, false, RotationalDirection::clockwise,
                          olderPeriod),
              (std::vector<ContouringCoordinate>{{p, 0}}));
}

TEST(ContouringPlanner, UnusableMotionIsRefused) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Coordinate end{1000, 0, 0};
    const std::vector<std::function<void()>> plans{
        [&] { planLinearMove(16, true, {}, end, 0.0, 10000.0, newerPeriod); },
        [&] { planLinearMove(16, true, {}, end, -5.0, 10000.0, newerPeriod); },
        [&] { planLinearMove(16, true, {}, end, nan, 10000.0, newerPeriod); },
        [&] { planLinearMove(16, true, {}, end, 1000.0, inf, newerPeriod); },
        [&] { planLinearMove(16, true, {}, end, 1000.0, 10000.0, 0.0); },
        [&] { planLinearMove(0, true, {}, end, 1000.0, 10000.0, newerPeriod); },
        [&] { planLinearMove(16, true, {}, {nan, 0, 0}, 1000.0, 10000.0, newerPeriod); },
        // A crawl: more than a million points.
        [&] { planLinearMove(16, true, {}, end, 1e-6, 10000.0, newerPeriod); },
        [&] { planLinearMove(16, true, {}, end, 1e-300, 1e-300, newerPeriod); },
        [&] { planArcMove(radians(0), radians(1), {}, inf, 1000.0, 10000.0, 32, true,
                          RotationalDirection::clockwise, newerPeriod); },
        [&] { planArcMove(radians(nan), radians(1), {}, 100.0, 1000.0, 10000.0, 32, true,
                          RotationalDirection::clockwise, newerPeriod); },
        [&] { planArcMove(radians(0), radians(1), {}, 100.0, 1000.0, -1.0, 32, true,
                          RotationalDirection::clockwise, newerPeriod); },
    };
    for (std::size_t i = 0; i < plans.size(); ++i) {
        SCOPED_TRACE(i);
        try {
            plans[i]();
            ADD_FAILURE() << "planned";
        } catch (const RoboticsError& error) {
            EXPECT_EQ(error.kind(), RoboticsError::Kind::abortedDuringMove);
        }
    }
}

} // namespace
} // namespace Dotfield
