// The prototype's simulated stepper controllers, spoken to byte by byte, on a
// world whose time the test moves.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "simulators/instrument/Positioners/PositionerPeerRegistry.hpp"
#include "simulators/instrument/Positioners/Proto/SimulatedProtoControllers.hpp"
#include "simulators/peers/tests/RecordingSerialPort.hpp"

using namespace Simulators;
using namespace std::chrono_literals;

namespace {

class ProtoControllersTest : public testing::Test {
  protected:
    explicit ProtoControllersTest(bool homed = true, WorldPoint start = {1000.0, 1000.0, 45000.0}) {
        WorldConfiguration configuration;
        configuration.clock = clock;
        configuration.travel = WorldPoint{306000.0, 306000.0, 90000.0};
        configuration.start = start;
        configuration.homed = homed;
        world = std::make_shared<InstrumentWorld>(configuration);
        controllers = std::make_shared<SimulatedProtoControllers>(world);
    }

    // Sends the bytes and answers what came back.
    std::string send(const std::string& text) {
        controllers->receive(std::vector<std::uint8_t>(text.begin(), text.end()), port);
        const auto reply = port.take();
        return {reply.begin(), reply.end()};
    }

    std::shared_ptr<SteppedWorldClock> clock = std::make_shared<SteppedWorldClock>();
    std::shared_ptr<InstrumentWorld> world;
    std::shared_ptr<SimulatedProtoControllers> controllers;
    RecordingSerialPort port{SerialLineSettings{.baudRate = 115200}};
};

class UnhomedProtoControllersTest : public ProtoControllersTest {
  protected:
    UnhomedProtoControllersTest() : ProtoControllersTest(false) {}
};

TEST_F(ProtoControllersTest, FramesAreAnsweredWithTheirEchoAndValue) {
    // Bytes before a frame are noise; a frame may arrive in pieces.
    EXPECT_EQ(send("xx#1ZC\r"), "1ZC1280\r");
    EXPECT_EQ(send("#2s12"), "");
    EXPECT_EQ(send("00\r"), "2s1200\r");
    EXPECT_EQ(send("#3ZC\r#1$\r#2:is_referenced\r"), "3ZC288000\r1$: 161\r2:is_referenced+1\r");
    // To all three: each acts, one echo answers.
    EXPECT_EQ(send("#*p4\r"), "*p4\r");
    EXPECT_EQ(controllers->mode(WorldAxis::z), 4);
    // Another controller character is no one's.
    EXPECT_EQ(send("#4A\r"), "");
    controllers->silence(WorldAxis::y);
    EXPECT_EQ(send("#2d1\r#*d1\r"), "*d1\r");
    EXPECT_EQ(controllers->direction(WorldAxis::y), 0);
    EXPECT_EQ(controllers->direction(WorldAxis::x), 1);
    // "D" sets the counter where the axis stands.
    EXPECT_EQ(send("#1D-2048\r#1ZC\r"), "1D-2048\r1ZC-2048\r");
    EXPECT_EQ(controllers->setting(WorldAxis::z, "p"), 4);

    const auto transcript = controllers->transcript();
    ASSERT_FALSE(transcript.empty());
    EXPECT_EQ(transcript.front(), (SimulatedProtoControllers::Command{'1', "ZC"}));
}

TEST_F(ProtoControllersTest, PositioningRunsToTheTargetAtTheSpeedAndRampGiven) {
    // 1000 µm/s, and a ramp of 3000 / √3600 − 11.7 = 38.3 counts/s².
    EXPECT_EQ(send("#1o1280\r#1b3600\r#1s2560\r#1A\r"), "1o1280\r1b3600\r1s2560\r1A\r");
    EXPECT_EQ(send("#1$\r"), "1$: 160\r");
    clock->advance(2s);
    // Two seconds at 38.3 counts/s² of 0.78125 µm: 59.8 µm on.
    EXPECT_NEAR(world->axis(WorldAxis::x).position, 1000.0 + 0.5 * 38.3 * 0.78125 * 4.0, 0.1);
    clock->advance(60s);
    EXPECT_EQ(send("#1ZC\r#1$\r"), "1ZC2560\r1$: 161\r");
    EXPECT_EQ(world->axis(WorldAxis::x).position, 2000.0);

    // An obstruction stops it with its own status; "D" clears it.
    world->placeObstruction(WorldAxis::y, 1500.0, 1600.0);
    send("#2s-2560\r#2A\r");
    clock->advance(60s);
    EXPECT_EQ(send("#2$\r"), "2$: 165\r");
    send("#2D0\r");
    EXPECT_EQ(send("#2$\r"), "2$: 161\r");
}

TEST_F(UnhomedProtoControllersTest, ReferenceRunsFindTheLimitAndHomeSwitches) {
    EXPECT_EQ(send("#3:is_referenced\r"), "3:is_referenced+0\r");
    // Positioning needs a referenced axis.
    send("#3s0\r#3A\r");
    EXPECT_EQ(send("#3$\r"), "3$: 166\r");

    // d0 runs Z down onto its limit switch, d1 up onto its home switch.
    send("#3p4\r#3d0\r#3A\r");
    EXPECT_EQ(send("#3$\r"), "3$: 162\r");
    clock->advance(600s);
    EXPECT_EQ(send("#3$\r"), "3$: 164\r");
    EXPECT_EQ(world->axis(WorldAxis::z).position, 0.0);
    send("#3S\r#3D0\r#3d1\r#3p3\r#3A\r");
    clock->advance(600s);
    EXPECT_EQ(send("#3$\r#3:is_referenced\r#3ZC\r"), "3$: 161\r3:is_referenced+1\r3ZC-576000\r");
    EXPECT_EQ(world->axis(WorldAxis::z).position, 90000.0);

    // A home run away from the switch goes on to the end of the travel.
    send("#1p3\r#1d0\r#1A\r");
    clock->advance(600s);
    EXPECT_EQ(send("#1$\r#1:is_referenced\r"), "1$: 164\r1:is_referenced+0\r");
    EXPECT_EQ(world->axis(WorldAxis::x).position, 306000.0);
}

TEST(ProtoControllersRegistry, TheProtoIsRegisteredWithItsTravel) {
    const auto registry = builtInPositionerPeers();
    const PositionerPeerModel* model = registry.find("Proto");
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->travel, (WorldPoint{306000.0, 306000.0, 90000.0}));
    EXPECT_EQ(model->makePeer(std::make_shared<InstrumentWorld>())->expectedLine().baudRate, 115200u);
}

} // namespace
