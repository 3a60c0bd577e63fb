// The end of a contour: the stream waits for the motors to play every queued
// segment, however few buffer queries that takes or however many.

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "Dotfield/Robotics/SmartMotor/ContouringMoveSequence.hpp"
#include "Dotfield/tests/Robotics/SmartMotor/ContourFixture.hpp"

namespace Dotfield::testing {
namespace {

using Simulators::WorldPoint;

// Distance from p to the segment a–b in the XY plane.
double distanceToSegment(const WorldPoint& p, const WorldPoint& a, const WorldPoint& b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    const double t = length2 == 0.0 ? 0.0 : std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// The world in real time, so that each segment plays for half a second while
// the buffer queries answer within milliseconds: dozens of unchanged readings
// in a row while the motors are still busy.
class SlowSegmentContours : public ContourFixture, public ::testing::WithParamInterface<const char*> {
  protected:
    SlowSegmentContours() : ContourFixture(GetParam()) {
        options.clock = std::make_shared<Simulators::RealTimeWorldClock>(1.0);
    }
};

TEST_P(SlowSegmentContours, ACornerWhoseSegmentsOutlastManyQueriesIsDrawnWhole) {
    const bool newMotors = robot->usesNewAnimaticsMotors();
    const double period = newMotors ? 0.00012288 : 0.00024576;
    const auto half = static_cast<std::int64_t>(std::lround(0.5 / period));
    // Newer motors take segment durations, older ones times since the start.
    const auto time = [&](std::int64_t index) { return newMotors ? half : index * half; };
    const std::vector<ContouringCoordinate> corner{
        {{0, 0, 0}, time(0)}, {{1000, 0, 0}, time(1)}, {{1000, 1000, 0}, time(2)}};

    world->electronicsOutputChanged(true, 10.0, 1000.0); // records the tip's track
    animaticsMoveSequence(corner, *robot);
    world->electronicsOutputChanged(false, 0.0, 1000.0);

    const auto drives = world->dispenserDrives();
    ASSERT_EQ(drives.size(), 1u);
    const std::vector<WorldPoint>& path = drives[0].tipPath;
    const WorldPoint a{0, 0, 0}, b{1000, 0, 0}, c{1000, 1000, 0};
    double worst = 0.0;
    double nearestToCorner = 1e9;
    for (const WorldPoint& p : path) {
        worst = std::max(worst, std::min(distanceToSegment(p, a, b), distanceToSegment(p, b, c)));
        nearestToCorner = std::min(nearestToCorner, std::hypot(p.x - b.x, p.y - b.y));
    }
    const double step = newMotors ? 2.5 : 5.0;
    EXPECT_LE(worst, step) << "the tip left the corner's two legs";
    EXPECT_LE(nearestToCorner, step) << "the tip cut the corner";
    EXPECT_EQ(robot->currentCoordinate(), (Robot::Coordinate{1000, 1000, 0}));
    EXPECT_NEAR(world->tipPosition().x, 1000.0, step);
    EXPECT_NEAR(world->tipPosition().y, 1000.0, step);
}

INSTANTIATE_TEST_SUITE_P(OlderAndNewerMotors, SlowSegmentContours, ::testing::Values("IIa", "IIb"));

} // namespace
} // namespace Dotfield::testing
