#include <chrono>
#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "simulators/instrument/World/InstrumentWorld.hpp"

using namespace Simulators;
using namespace std::chrono_literals;

namespace {

class WorldTracks : public testing::Test {
  protected:
    std::shared_ptr<InstrumentWorld> makeWorld() {
        WorldConfiguration configuration;
        configuration.clock = clock;
        configuration.travel = WorldPoint{10000.0, 10000.0, 10000.0};
        configuration.start = WorldPoint{100.0, 100.0, 100.0};
        return std::make_shared<InstrumentWorld>(configuration);
    }

    std::shared_ptr<SteppedWorldClock> clock = std::make_shared<SteppedWorldClock>();
};

TEST_F(WorldTracks, AnAxisRunsStraightFromPointToPointInTime) {
    const auto world = makeWorld();
    clock->advance(1s);
    // From 100 now to 300 at 2 s, back to 200 at 4 s; a point in the past is
    // passed over, one at the same time as another is jumped to.
    ASSERT_EQ(world->followTrack(WorldAxis::x, {{500ms, 9999.0}, {2s, 300.0}, {4s, 200.0}, {4s, 250.0}}),
              InstrumentWorld::MoveResult::started);
    struct Sample {
        std::chrono::milliseconds at;
        double position;
        bool moving;
    };
    for (const Sample& s : {Sample{1000ms, 100.0, true}, Sample{1500ms, 200.0, true}, Sample{2000ms, 300.0, true},
                            Sample{3000ms, 250.0, true}, Sample{4000ms, 250.0, false},
                            Sample{9000ms, 250.0, false}}) {
        clock->advance(s.at - std::chrono::duration_cast<std::chrono::milliseconds>(world->now()));
        const AxisStatus status = world->axis(WorldAxis::x);
        EXPECT_NEAR(status.position, s.position, 1e-9) << s.at.count();
        EXPECT_EQ(status.moving, s.moving) << s.at.count();
    }
    EXPECT_FALSE(world->axis(WorldAxis::x).faulted);
}

TEST_F(WorldTracks, ATrackIntoAnObstructionOrBeyondTheTravelStopsThereFaulted) {
    struct Case {
        const char* name;
        std::vector<TrackPoint> track; // times from now
        enum { none, before, whileRunning } obstruction;
        double stop;
    };
    const std::vector<Case> cases{
        {"into an obstruction", {{1s, 300.0}, {2s, 900.0}}, Case::before, 450.0},
        {"into one placed while the track runs", {{1s, 900.0}}, Case::whileRunning, 450.0},
        {"below the travel", {{1s, -100.0}}, Case::none, 0.0},
        {"beyond the travel", {{1s, 20000.0}}, Case::none, 10000.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto world = makeWorld();
        if (c.obstruction == Case::before) {
            world->placeObstruction(WorldAxis::y, 450.0, 500.0);
        }
        std::vector<TrackPoint> track;
        for (const TrackPoint& point : c.track) {
            track.push_back({world->now() + point.at, point.position});
        }
        ASSERT_EQ(world->followTrack(WorldAxis::y, track), InstrumentWorld::MoveResult::started);
        if (c.obstruction == Case::whileRunning) {
            clock->advance(100ms);
            world->placeObstruction(WorldAxis::y, 450.0, 500.0);
        }
        clock->advance(5s);
        const AxisStatus status = world->axis(WorldAxis::y);
        EXPECT_NEAR(status.position, c.stop, 1e-6);
        EXPECT_TRUE(status.faulted);
        EXPECT_FALSE(status.moving);
        EXPECT_EQ(world->followTrack(WorldAxis::y, track), InstrumentWorld::MoveResult::faulted);
    }
}

TEST_F(WorldTracks, HaltingOrAMoveEndsTheTrack) {
    const auto world = makeWorld();
    ASSERT_EQ(world->followTrack(WorldAxis::z, {{world->now() + 1s, 1100.0}}), InstrumentWorld::MoveResult::started);
    clock->advance(500ms);
    world->haltAxis(WorldAxis::z);
    clock->advance(1s);
    EXPECT_NEAR(world->axis(WorldAxis::z).position, 600.0, 1e-6);
    ASSERT_EQ(world->followTrack(WorldAxis::z, {{world->now() + 1s, 1600.0}}), InstrumentWorld::MoveResult::started);
    clock->advance(500ms);
    ASSERT_EQ(world->moveAxis({WorldAxis::z, 0.0, 1e6, 1e9}), InstrumentWorld::MoveResult::started);
    clock->advance(1s);
    EXPECT_NEAR(world->axis(WorldAxis::z).position, 0.0, 1e-6);
    EXPECT_EQ(world->followTrack(WorldAxis::z, {{world->now() + 1s, std::nan("")}}),
              InstrumentWorld::MoveResult::invalid);
}

} // namespace
