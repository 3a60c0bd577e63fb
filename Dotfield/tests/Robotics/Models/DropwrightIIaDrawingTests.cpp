// Contoured lines and arcs of the generation-II models: speeds, the surface
// they follow and the placement of arcs, seen at the motors and in the world.

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Robotics/RobotConnection.hpp"
#include "Dotfield/Robotics/SmartMotor/ContouringPlanner.hpp"
#include "Dotfield/Robotics/SurfaceTopographyMap.hpp"
#include "Dotfield/tests/Robotics/SmartMotor/ContourFixture.hpp"
#include "simulators/instrument/World/WorldClock.hpp"

namespace Dotfield::testing {
namespace {

using Simulators::WorldAxis;
using Simulators::WorldPoint;
using VeltranePatterns::RotationalDirection;
using Zovudidova::degrees;

constexpr double newerPeriod = 0.00012288;

class OlderMotorModel : public ContourFixture {
  protected:
    OlderMotorModel() : ContourFixture("IIa") {
        options.homed = false;
        options.start = WorldPoint{50000.0, 40000.0, 1000.0};
    }
    void SetUp() override { SmartMotorFixture::SetUp(); }
};

TEST_F(OlderMotorModel, ConnectsHomesAndDrawsALine) {
    try {
        initializeConnectionToRobot(*robot, opener());
        ADD_FAILURE() << "connected unhomed";
    } catch (const RoboticsError& error) {
        EXPECT_EQ(error.kind(), RoboticsError::Kind::needsToHome);
    }
    robot->home();
    robot->readAndStoreCurrentPosition();
    robot->moveToPosition({2000, 3000, 50000});
    bus->clearTranscript();

    robot->drawLineToCoordinate({7000, 1000, 50000}, nullptr, 2000.0, 20000.0);
    EXPECT_EQ(robot->currentCoordinate(), (Robot::Coordinate{7000, 1000, 50000}));
    const WorldPoint tip = world->tipPosition();
    EXPECT_NEAR(tip.x, 7000.0, 1e-6);
    EXPECT_NEAR(tip.y, 1000.0, 1e-6);
    EXPECT_NEAR(tip.z, 50000.0, 1e-6);
    // Older motors: times since the start, closed by a time of 0; counts of
    // 5 µm, most significant byte first.
    const std::vector<std::int64_t> times = itemsTo(0, "time");
    ASSERT_GT(times.size(), 3u);
    EXPECT_EQ(times.front(), 0);
    EXPECT_EQ(times[1], 256);
    EXPECT_EQ(times.back(), 0);
    EXPECT_EQ(itemsTo(1, "time"), times);
    EXPECT_EQ(itemsTo(0, "position").back(), 1400);
    EXPECT_EQ(itemsTo(1, "position").back(), -200);
    EXPECT_TRUE(itemsTo(2, "position").empty());
}

TEST_F(ContourFixture, LinesOfAMicronOrLessAreSkipped) {
    robot->drawLineToCoordinate({0.5, 0.5, 0.5}, nullptr, std::nullopt, std::nullopt);
    EXPECT_TRUE(bus->transcript().empty());
    EXPECT_EQ(robot->currentCoordinate(), (Robot::Coordinate{0, 0, 0}));
    robot->drawLineToCoordinate({0.6, 0.6, 0.6}, nullptr, std::nullopt, std::nullopt);
    EXPECT_FALSE(bus->transcript().empty());
    EXPECT_EQ(robot->currentCoordinate(), (Robot::Coordinate{0.6, 0.6, 0.6}));
}

TEST_F(ContourFixture, TheLeadingAxisSetsTheSpeedsAndNoSpeedIsSent) {
    robot->setPatternPrintingVelocities({1000.0, 250.0, 500.0});
    robot->setPatternPrintingAccelerations({10000.0, 5000.0, 2000.0});
    struct Case {
        const char* name;
        Robot::Coordinate target;
        std::optional<double> velocity, acceleration;
        double expectedVelocity, expectedAcceleration;
    };
    const std::vector<Case> cases{
        {"X and Y: X's", {400, 300, 0}, {}, {}, 1000.0, 10000.0},
        {"Y alone: Y's", {400, 600, 0}, {}, {}, 250.0, 5000.0},
        {"Z alone: Z's", {400, 600, 300}, {}, {}, 500.0, 2000.0},
        {"overridden", {0, 0, 300}, 3000.0, 30000.0, 3000.0, 30000.0},
        {"unusable overrides: Y's", {0, 500, 300}, 0.0, -1.0, 250.0, 5000.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bus->clearTranscript();
        const Robot::Coordinate start = robot->currentCoordinate();
        robot->drawLineToCoordinate(c.target, nullptr, c.velocity, c.acceleration);
        const auto planned =
            planLinearMove(16, true, start, c.target, c.expectedVelocity, c.expectedAcceleration, newerPeriod);
        std::size_t timeItems = 0;
        for (const Command& command : bus->transcript()) {
            timeItems += command.command == "time" ? 1 : 0;
            EXPECT_NE(command.command, "VT");
            EXPECT_NE(command.command, "AT");
        }
        // One time item per point and moving axis (or one for all), and the closing ones.
        const std::size_t movingAxes = (c.target.x != start.x) + (c.target.y != start.y) + (c.target.z != start.z);
        const std::size_t perPoint = movingAxes == 3 ? 1 : movingAxes;
        EXPECT_EQ(timeItems, (planned.size() + 1) * perPoint);
        EXPECT_EQ(robot->currentCoordinate(), c.target);
    }
}

// Raises a world point as the topography map of the world's surface would.
std::shared_ptr<SurfaceTopographyMap> mapOf(const Simulators::SimulatedSurface& surface, double fromX, double toX,
                                            double fromY, double toY, double spacing) {
    auto map = std::make_shared<SurfaceTopographyMap>();
    for (double y = fromY; y <= toY; y += spacing) {
        for (double x = fromX; x <= toX; x += spacing) {
            map->addPoint({x, y, surface.heightAt(x, y)});
        }
    }
    return map;
}

class LinesOnTheSurface : public ContourFixture {
  protected:
    LinesOnTheSurface() {
        Simulators::SimulatedSurface surface = Simulators::SimulatedSurface::plane(1000.0, 0.01, 0.005);
        // A bump of 20 µm under the middle of the line.
        surface.bumps = {.originU = 21000.0, .originV = 19500.0, .spacing = 500.0,
                         .heights = {{0, 0, 0}, {0, 20, 0}, {0, 0, 0}}};
        options.surface = surface;
        options.start = WorldPoint{19500.0, 19200.0, 5000.0};
        // The tip's path is judged against the surface, so the world moves
        // only as the bytes on the line do: a busy machine cannot stretch a
        // move between two position reads.
        options.clock = std::make_shared<Simulators::SteppedWorldClock>();
    }

    // From on the surface at start to on the surface at end, the map
    // measured of the world's surface; answers the tip's path.
    std::vector<WorldPoint> drawOnTheSurface(double startX, double endX, double y) {
        const Simulators::SimulatedSurface surface = *world->surface();
        const auto map = mapOf(surface, 19000.0, 23000.0, 19000.0, 21000.0, 250.0);
        const Robot::Coordinate start{startX, y, surface.heightAt(startX, y)};
        robot->moveToPosition(start.coordinateByIncreasingHeight(100.0), 5000.0);
        robot->moveToPosition(start);
        world->electronicsOutputChanged(true, 10.0, 1000.0); // records the tip's path
        robot->drawLineToCoordinate({endX, y, surface.heightAt(endX, y)}, map, 1000.0, 10000.0);
        world->electronicsOutputChanged(true, 0.0, 1000.0);
        return world->dispenserDrives().back().tipPath;
    }
};

TEST_F(LinesOnTheSurface, ALineFollowsTheMeasuredSurfaceWithoutPressingIntoIt) {
    const Simulators::SimulatedSurface surface = *world->surface();
    // A Z count (1.25 µm either way) and the whole microns of the planned
    // offsets (0.5) are all the tip may go below the plane; over the peak of
    // the bump the straight pieces between points cut under it by up to 0.6 µm
    // more. Without the map the tip would meet the bump 20 µm deep.
    struct Case {
        const char* name;
        double startX, endX, y;
        double deepest;
    };
    const std::vector<Case> cases{
        {"rising plane", 19500.0, 22500.0, 19200.0, 2.0},
        {"falling plane, over the bump", 22500.0, 19500.0, 20000.0, 2.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<WorldPoint> path = drawOnTheSurface(c.startX, c.endX, c.y);
        ASSERT_GT(path.size(), 100u);
        double highest = -1e9;
        for (const WorldPoint& tip : path) {
            highest = std::max(highest, tip.z - surface.heightAt(tip.x, tip.y));
        }
        EXPECT_LE(world->deepestPress(), c.deepest);
        // Nor lifted off it: over the bump too it keeps to the surface, within
        // a Z count and the straight pieces between the points.
        EXPECT_LE(highest, 3.0);
    }
}

class ContouredArcs : public ContourFixture {
  protected:
    // Draws the arc of the example: centre (100, 0, 0) at scale 2 from the
    // pattern start (1000, 1000, 50) with a cant of 0.001 in X, radius 500,
    // a quarter turn from 0 clockwise, after travelling to its start.
    void drawExampleArc(double rotationDegrees, const Robot::Coordinate& travelTo) {
        robot->moveToPosition(travelTo);
        bus->clearTranscript();
        robot->drawArc(degrees(0.0), degrees(90.0), {100, 0, 0}, 500.0, RotationalDirection::clockwise,
                       {1000, 1000, 50}, {0.001, 0.0}, 2.0, degrees(rotationDegrees), nullptr, 2000.0, 20000.0);
    }
};

TEST_F(ContouredArcs, TheArcIsScaledAnchoredAndRaisedByTheCant) {
    drawExampleArc(0.0, {2200, 1000, 51.2});
    const std::vector<Robot::Coordinate> points = streamedPoints();
    ASSERT_GT(points.size(), 10u);
    for (const Robot::Coordinate& p : points) {
        EXPECT_NEAR(std::hypot(p.x - 1200.0, p.y - 1000.0), 1000.0, 2.5);
        EXPECT_NEAR(p.z, 50.2 + 0.001 * (p.x - 1200.0), 2.5);
    }
    EXPECT_NEAR(points.front().x, 2200.0, 2.5);
    EXPECT_NEAR(points.back().y, 2000.0, 2.5);
    for (const Command& command : bus->transcript()) {
        EXPECT_NE(command.command, "VT");
        EXPECT_NE(command.command, "AT");
    }
}

TEST_F(ContouredArcs, OnATurnedPatternTheArcStartsAtTheTurnedStartPoint) {
    // The start point (600, 0) at scale 2, turned a quarter, anchored:
    // (1000, 2200); the centre (100, 0) likewise: (1000, 1200).
    drawExampleArc(90.0, {1000, 2200, 50});
    const std::vector<Robot::Coordinate> points = streamedPoints();
    ASSERT_GT(points.size(), 10u);
    EXPECT_NEAR(points.front().x, 1000.0, 2.5);
    EXPECT_NEAR(points.front().y, 2200.0, 2.5);
    for (const Robot::Coordinate& p : points) {
        EXPECT_NEAR(std::hypot(p.x - 1000.0, p.y - 1200.0), 1000.0, 2.5);
    }
    // A quarter turn on from there.
    EXPECT_NEAR(points.back().x, 0.0, 2.5);
    EXPECT_NEAR(points.back().y, 1200.0, 2.5);
}

} // namespace
} // namespace Dotfield::testing
