#include <gtest/gtest.h>

#include "simulators/camera/SimulatedIIDCBus.hpp"
#include "simulators/camera/WorldSurfaceScene.hpp"

namespace {

using namespace std::chrono_literals;
using Simulators::InstrumentWorld;
using Simulators::SceneColor;
using Simulators::WorldAxis;

// A world whose tip rests on a flat surface at (1000, 1000), on a stepped clock.
class WorldSurfaceSceneTest : public ::testing::Test {
  protected:
    WorldSurfaceSceneTest() {
        Simulators::WorldConfiguration configuration;
        configuration.clock = clock;
        configuration.start = Simulators::WorldPoint{1000.0, 1000.0, 4000.0};
        configuration.surface = Simulators::SimulatedSurface::plane(4000.0);
        world = std::make_shared<InstrumentWorld>(configuration);
        scene = std::make_shared<Simulators::WorldSurfaceScene>(world, 2.0);
    }

    void printSpot() {
        world->electronicsOutputChanged(true, 40.0, 1000.0);
        clock->advance(50ms);
        world->electronicsOutputChanged(false, 0.0, 0.0);
    }

    static bool dark(const SceneColor& color) { return color.red < 0.3F; }

    std::shared_ptr<Simulators::SteppedWorldClock> clock = std::make_shared<Simulators::SteppedWorldClock>();
    std::shared_ptr<InstrumentWorld> world;
    std::shared_ptr<Simulators::WorldSurfaceScene> scene;
};

TEST_F(WorldSurfaceSceneTest, PrintedSpotLiesUnderTheTipAndMovesOutOfViewWithIt) {
    auto pixels = scene->render(64, 64);
    EXPECT_FALSE(dark(pixels[32 * 64 + 32])) << "nothing printed yet";

    printSpot();
    const double radius = Simulators::WorldSurfaceScene::spotRadius(world->dispenserDrives().front());
    EXPECT_GT(radius, 20.0);
    pixels = scene->render(64, 64);
    EXPECT_TRUE(dark(pixels[32 * 64 + 32]));
    EXPECT_FALSE(dark(pixels[0])) << "the corner lies beyond the spot's " << radius << " µm";

    ASSERT_EQ(world->moveAxis({WorldAxis::x, 1400.0, 10000.0, 100000.0}),
              InstrumentWorld::MoveResult::started);
    clock->advance(1s);
    pixels = scene->render(64, 64);
    EXPECT_FALSE(dark(pixels[32 * 64 + 32])) << "the spot stayed 400 µm behind";
}

TEST_F(WorldSurfaceSceneTest, StateChangesWithTheTipAndTheDrivesAndWithNothingElse) {
    auto last = scene->state();
    const auto changed = [&] {
        auto now = scene->state();
        const bool differs = now != last;
        last = std::move(now);
        return differs;
    };
    clock->advance(1s);
    EXPECT_FALSE(changed()) << "time alone";
    world->electronicsOutputChanged(true, 40.0, 1000.0);
    EXPECT_TRUE(changed()) << "a drive starts";
    clock->advance(50ms);
    EXPECT_TRUE(changed()) << "the running drive's spot grows";
    world->electronicsOutputChanged(false, 0.0, 0.0);
    changed();
    clock->advance(1s);
    EXPECT_FALSE(changed()) << "a finished drive";
    ASSERT_EQ(world->moveAxis({WorldAxis::x, 1400.0, 10000.0, 100000.0}),
              InstrumentWorld::MoveResult::started);
    clock->advance(10ms);
    EXPECT_TRUE(changed()) << "the tip moves";
    clock->advance(1s);
    changed();
    ASSERT_EQ(world->moveAxis({WorldAxis::z, 5000.0, 10000.0, 100000.0}),
              InstrumentWorld::MoveResult::started);
    clock->advance(1s);
    EXPECT_FALSE(changed()) << "the view looks straight down: height does not show";
}

TEST_F(WorldSurfaceSceneTest, TheSimulatedCameraFilmsWhatIsPrinted) {
    Simulators::SimulatedIIDCBus bus;
    auto camera = bus.plugIn(Simulators::SimulatedCameraKind::format7WithoutMode79, 0x5);
    camera->setScene(scene);
    camera->setNoise(0, 1);
    dc1394_t* context = bus.newContext();
    dc1394camera_t* handle = bus.cameraNew(context, 0x5);
    ASSERT_EQ(bus.cameraSetPower(handle, DC1394_ON), DC1394_SUCCESS);
    ASSERT_EQ(bus.captureSetup(handle, 4, DC1394_CAPTURE_FLAGS_DEFAULT), DC1394_SUCCESS);
    ASSERT_EQ(bus.videoSetTransmission(handle, DC1394_ON), DC1394_SUCCESS);

    ASSERT_EQ(camera->emitFrames(1), 1U);
    printSpot();
    ASSERT_EQ(camera->emitFrames(1), 1U);
    // Y of the centre pixel (320, 240) of the YUV 4:2:2 frames.
    const std::size_t centre = (240 * 640 + 320) * 2 + 1;
    EXPECT_LT((*camera->frameBytes(2))[centre], (*camera->frameBytes(1))[centre]);
    bus.cameraFree(handle);
    bus.freeContext(context);
}

} // namespace
