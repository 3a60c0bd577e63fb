#include <chrono>
#include <cmath>
#include <memory>
#include <numbers>

#include <gtest/gtest.h>

#include "simulators/instrument/World/InstrumentWorld.hpp"
#include "simulators/instrument/World/SimulatedSurface.hpp"

using namespace Simulators;
using namespace std::chrono_literals;

TEST(SimulatedSurfaceTest, HeightFollowsTiltRotationAndBumps) {
    SimulatedSurface tilted = SimulatedSurface::plane(5000.0, 0.01, -0.002);
    tilted.centerX = 1000.0;
    SimulatedSurface turned = tilted;
    turned.rotation = std::numbers::pi / 2; // the slope along u now rises along Y
    SimulatedSurface bumpy = SimulatedSurface::plane(100.0);
    bumpy.bumps = BumpMap{.originU = 0.0, .originV = 0.0, .spacing = 100.0, .heights = {{0, 10}, {20, 30}}};
    SimulatedSurface broken = bumpy;
    broken.bumps.heights = {{0, 10}, {20}}; // ragged rows add nothing

    struct Case {
        const SimulatedSurface& surface;
        double x, y, height;
    };
    for (const Case& c : {
             Case{tilted, 1000, 0, 5000},
             Case{tilted, 2000, 0, 5010},
             Case{tilted, 1000, 1000, 4998},
             Case{tilted, 0, -500, 4991},
             Case{turned, 1000, 1000, 5010},
             Case{turned, 2000, 0, 5002},
             Case{bumpy, 0, 0, 100},
             Case{bumpy, 50, 0, 105},
             Case{bumpy, 50, 50, 115},
             Case{bumpy, 100, 100, 130},
             Case{bumpy, 101, 100, 100}, // outside the map
             Case{bumpy, -1, 0, 100},
             Case{broken, 50, 50, 100},
         }) {
        EXPECT_NEAR(c.surface.heightAt(c.x, c.y), c.height, 1e-9) << c.x << ", " << c.y;
    }
}

TEST(SimulatedSurfaceTest, TheTipTouchesAtTheSurfaceAndTheDeepestPressIsKept) {
    const auto clock = std::make_shared<SteppedWorldClock>();
    WorldConfiguration configuration;
    configuration.clock = clock;
    configuration.start = WorldPoint{2000.0, 0.0, 6000.0};
    configuration.surface = SimulatedSurface::plane(5000.0, 0.01);
    InstrumentWorld world(configuration);
    // The surface is at 5020 under the tip.
    EXPECT_FALSE(world.tipTouchesSurface());
    world.moveAxis({WorldAxis::z, 5040.0, 1000.0, 10000.0});
    clock->advance(2s);
    EXPECT_FALSE(world.tipTouchesSurface()); // 20 µm above
    world.moveAxis({WorldAxis::z, 5020.0, 1000.0, 10000.0});
    clock->advance(1s);
    EXPECT_TRUE(world.tipTouchesSurface());
    EXPECT_EQ(world.deepestPress(), 0.0);

    // Across the slope at a constant height: the surface rises under the
    // tip to 5030 at X 3000, 10 µm of press, and the tip comes back out.
    world.moveAxis({WorldAxis::x, 3000.0, 1000.0, 10000.0});
    clock->advance(2s);
    world.moveAxis({WorldAxis::z, 6000.0, 1000.0, 10000.0});
    clock->advance(2s);
    EXPECT_FALSE(world.tipTouchesSurface());
    EXPECT_NEAR(world.deepestPress(), 10.0, 1e-9);

    // A surface raised onto the tip presses it at once.
    world.setSurface(SimulatedSurface::plane(6025.0));
    EXPECT_NEAR(world.deepestPress(), 25.0, 1e-9);
    world.setSurface(std::nullopt);
    EXPECT_FALSE(world.tipTouchesSurface());
}
