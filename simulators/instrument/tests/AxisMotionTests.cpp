#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "simulators/instrument/World/AxisProfile.hpp"
#include "simulators/instrument/World/InstrumentWorld.hpp"

using namespace Simulators;
using namespace std::chrono_literals;

namespace {

class WorldAxes : public testing::Test {
  protected:
    std::shared_ptr<InstrumentWorld> makeWorld(bool homed = true) {
        WorldConfiguration configuration;
        configuration.clock = clock;
        configuration.start = WorldPoint{0.0, 0.0, 0.0};
        configuration.homed = homed;
        return std::make_shared<InstrumentWorld>(configuration);
    }

    std::shared_ptr<SteppedWorldClock> clock = std::make_shared<SteppedWorldClock>();
};

} // namespace

TEST(AxisProfileTest, TrapezoidsAndTrianglesTakeTheirTimeAndPassTheirPoints) {
    struct Case {
        double from, to, velocity, acceleration;
        double duration;
        double at, position;
    };
    for (const Case& c : {
             // 0.1 s up to speed (50 µm), 0.9 s cruising, 0.1 s down.
             Case{0, 1000, 1000, 10000, 1.1, 0.1, 50},
             Case{0, 1000, 1000, 10000, 1.1, 0.6, 550},
             Case{0, 1000, 1000, 10000, 1.1, 1.05, 1000 - 12.5},
             Case{5000, 4000, 1000, 10000, 1.1, 0.6, 4450},
             // Too short to reach the speed: turns at half way.
             Case{0, 25, 1000, 10000, 0.1, 0.05, 12.5},
             Case{100, 75, 1000, 10000, 0.1, 0.025, 100 - 3.125},
             // Exactly long enough to touch the speed.
             Case{0, 100, 1000, 10000, 0.2, 0.1, 50},
             Case{7, 7, 1000, 10000, 0.0, 1.0, 7},
         }) {
        const AxisProfile profile(c.from, c.to, c.velocity, c.acceleration);
        EXPECT_NEAR(profile.duration(), c.duration, 1e-12) << c.from << " to " << c.to;
        EXPECT_NEAR(profile.positionAt(c.at), c.position, 1e-9) << c.from << " to " << c.to << " at " << c.at;
        EXPECT_NEAR(profile.timeReaching(c.position), std::min(c.at, c.duration), 1e-9) << c.from << " to " << c.to;
        EXPECT_EQ(profile.positionAt(-1.0), c.from);
        EXPECT_EQ(profile.positionAt(c.duration), c.to);
    }
}

TEST_F(WorldAxes, AThousandMicronMoveArrivesAfterOnePointOneSecondsOfWorldTime) {
    const auto world = makeWorld();
    ASSERT_EQ(world->moveAxis({WorldAxis::x, 1000.0, 1000.0, 10000.0}), InstrumentWorld::MoveResult::started);
    clock->advance(1099ms);
    const AxisStatus almost = world->axis(WorldAxis::x);
    EXPECT_TRUE(almost.moving);
    EXPECT_LT(almost.position, 1000.0);
    EXPECT_GT(almost.position, 999.9);
    clock->advance(1ms);
    const AxisStatus arrived = world->axis(WorldAxis::x);
    EXPECT_FALSE(arrived.moving);
    EXPECT_EQ(arrived.position, 1000.0);
    EXPECT_FALSE(arrived.faulted);
    EXPECT_EQ(world->tipPosition(), (WorldPoint{1000.0, 0.0, 0.0}));
}

TEST_F(WorldAxes, MovesStartedTogetherRunTogetherAndANewMoveStartsFromWhereTheAxisIs) {
    const auto world = makeWorld();
    world->moveAxes({{WorldAxis::x, 1000.0, 1000.0, 10000.0}, {WorldAxis::z, 25.0, 1000.0, 10000.0}});
    clock->advance(50ms);
    EXPECT_DOUBLE_EQ(world->axis(WorldAxis::z).position, 12.5);
    EXPECT_DOUBLE_EQ(world->axis(WorldAxis::x).position, 12.5);
    // Turned back part-way: from 12.5 down to 0, a triangle of 0.0707 s.
    world->moveAxis({WorldAxis::x, 0.0, 1000.0, 10000.0});
    clock->advance(50ms);
    EXPECT_FALSE(world->axis(WorldAxis::z).moving);
    EXPECT_TRUE(world->axis(WorldAxis::x).moving);
    clock->advance(21ms);
    EXPECT_EQ(world->tipPosition(), (WorldPoint{0.0, 0.0, 25.0}));
}

TEST_F(WorldAxes, HaltStopsEveryAxisAtOnceShortOfItsTarget) {
    const auto world = makeWorld();
    world->moveAxes({{WorldAxis::x, 1000.0, 1000.0, 10000.0}, {WorldAxis::y, 2000.0, 1000.0, 10000.0}});
    clock->advance(600ms);
    world->halt();
    clock->advance(5s);
    for (const WorldAxis axis : {WorldAxis::x, WorldAxis::y}) {
        const AxisStatus status = world->axis(axis);
        EXPECT_DOUBLE_EQ(status.position, 550.0);
        EXPECT_FALSE(status.moving);
        EXPECT_FALSE(status.faulted);
    }
}

TEST_F(WorldAxes, HardStopsAndObstructionsStopTheAxisThereAndFaultIt) {
    const auto world = makeWorld();
    struct Case {
        WorldAxis axis;
        double from, target;
        double obstructionFrom, obstructionTo; // equal: none
        double stop;
    };
    for (const Case& c : {
             Case{WorldAxis::z, 0, 95000, 0, 0, 90000},         // beyond the top of the travel
             Case{WorldAxis::x, 1000, -500, 0, 0, 0},           // below the limit switch
             Case{WorldAxis::y, 0, 10000, 5000, 6000, 5000},    // runs into it from below
             Case{WorldAxis::y, 10000, 0, 5000, 6000, 6000},    // and from above
             Case{WorldAxis::y, 5000, 7000, 5000, 6000, 5000},  // sitting against it: no way through
         }) {
        world->removeObstructions();
        world->clearFault(c.axis);
        world->moveAxis({c.axis, c.from, 1e6, 1e7});
        clock->advance(1s);
        ASSERT_EQ(world->axis(c.axis).position, c.from);
        if (c.obstructionFrom != c.obstructionTo) {
            world->placeObstruction(c.axis, c.obstructionFrom, c.obstructionTo);
        }
        ASSERT_EQ(world->moveAxis({c.axis, c.target, 1e6, 1e7}), InstrumentWorld::MoveResult::started);
        clock->advance(1s);
        const AxisStatus status = world->axis(c.axis);
        EXPECT_EQ(status.position, c.stop) << c.from << " to " << c.target;
        EXPECT_TRUE(status.faulted) << c.from << " to " << c.target;
        EXPECT_EQ(world->moveAxis({c.axis, c.from, 1e6, 1e7}), InstrumentWorld::MoveResult::faulted);
    }
    // Cleared, the axis moves away again.
    world->clearFault(WorldAxis::y);
    EXPECT_EQ(world->moveAxis({WorldAxis::y, 1000.0, 1e6, 1e7}), InstrumentWorld::MoveResult::started);
    clock->advance(1s);
    EXPECT_EQ(world->axis(WorldAxis::y).position, 1000.0);
    EXPECT_FALSE(world->axis(WorldAxis::y).faulted);
}

TEST_F(WorldAxes, AnObstructionPlacedAheadOfARunningMoveStopsIt) {
    const auto world = makeWorld();
    world->moveAxis({WorldAxis::x, 1000.0, 1000.0, 10000.0});
    clock->advance(100ms); // at 50
    world->placeObstruction(WorldAxis::x, 800.0, 900.0);
    world->placeObstruction(WorldAxis::x, 20.0, 30.0); // behind it: no effect
    clock->advance(700ms);
    EXPECT_TRUE(world->axis(WorldAxis::x).moving);
    clock->advance(51ms); // 800 is reached at 0.85 s
    EXPECT_EQ(world->axis(WorldAxis::x).position, 800.0);
    EXPECT_TRUE(world->axis(WorldAxis::x).faulted);
}

TEST_F(WorldAxes, AnUnhomedPositionerMovesOnlyAfterHoming) {
    const auto world = makeWorld(false);
    EXPECT_TRUE(world->needsHoming());
    EXPECT_EQ(world->moveAxis({WorldAxis::x, 1000.0, 1000.0, 10000.0}), InstrumentWorld::MoveResult::notHomed);
    EXPECT_EQ(world->moveAxis({WorldAxis::x, NAN, 1000.0, 10000.0}), InstrumentWorld::MoveResult::invalid);
    EXPECT_EQ(world->moveAxis({WorldAxis::x, 10.0, 0.0, 10000.0}), InstrumentWorld::MoveResult::invalid);

    ASSERT_EQ(world->home(), InstrumentWorld::MoveResult::started);
    EXPECT_TRUE(world->axis(WorldAxis::z).homing);
    clock->advance(1s);
    EXPECT_TRUE(world->needsHoming()); // Z still on its way up to 90000
    clock->advance(10s);
    EXPECT_FALSE(world->needsHoming());
    EXPECT_EQ(world->tipPosition(), world->homeSwitches());
    EXPECT_EQ(world->moveAxis({WorldAxis::x, 1000.0, 1000.0, 10000.0}), InstrumentWorld::MoveResult::started);
}

TEST_F(WorldAxes, AVanishingVelocityCrawlsWithoutLeavingTheClocksRange) {
    const auto world = makeWorld();
    ASSERT_EQ(world->moveAxis({WorldAxis::y, 1e300, 1e-300, 1e-300}), InstrumentWorld::MoveResult::started);
    clock->advance(1000s);
    EXPECT_TRUE(world->axis(WorldAxis::y).moving);
    EXPECT_LT(world->axis(WorldAxis::y).position, 1e-200);
    world->halt();
    EXPECT_FALSE(world->axis(WorldAxis::y).moving);
}
