#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "simulators/instrument/Positioners/Generic/SimulatedGenericPositioner.hpp"
#include "simulators/instrument/Positioners/PositionerPeerRegistry.hpp"
#include "simulators/peers/tests/RecordingSerialPort.hpp"

using namespace Simulators;
using namespace std::chrono_literals;

namespace {

class GenericPositionerTest : public testing::Test {
  protected:
    GenericPositionerTest() {
        WorldConfiguration configuration;
        configuration.clock = clock;
        configuration.start = WorldPoint{0.0, 0.0, 0.0};
        world = std::make_shared<InstrumentWorld>(configuration);
        positioner = std::make_shared<SimulatedGenericPositioner>(world);
    }

    // Sends the text and answers what came back.
    std::string send(const std::string& text) {
        positioner->receive(std::vector<std::uint8_t>(text.begin(), text.end()), port);
        const auto reply = port.take();
        return {reply.begin(), reply.end()};
    }

    std::shared_ptr<SteppedWorldClock> clock = std::make_shared<SteppedWorldClock>();
    std::shared_ptr<InstrumentWorld> world;
    std::shared_ptr<SimulatedGenericPositioner> positioner;
    RecordingSerialPort port{SerialLineSettings{.baudRate = 57600}};
};

} // namespace

TEST_F(GenericPositionerTest, MovesTheWorldAtTheVelocityAndAccelerationItWasGiven) {
    EXPECT_EQ(send("V X 1000\r"), "OK\r");
    EXPECT_EQ(send("A X 1e4\r"), "OK\r");
    EXPECT_EQ(send("N\r"), "N 0\r");
    EXPECT_EQ(send("M X 1000\rM Z 2.5\r"), "OK\rOK\r");
    EXPECT_EQ(send("S\r"), "S MRM\r");
    clock->advance(600ms);
    EXPECT_EQ(send("P\r"), "P 550 0 2.5\r");
    EXPECT_EQ(send("S\r"), "S MRR\r");
    clock->advance(500ms);
    EXPECT_EQ(send("S\r"), "S RRR\r");

    // X and Y start together, each at its own pace (Y at the defaults).
    EXPECT_EQ(send("MXY -0.5e3 250\r"), "OK\r");
    clock->advance(100ms);
    EXPECT_EQ(send("S\r"), "S MRR\r");
    EXPECT_EQ(world->axis(WorldAxis::y).position, 250.0);
    EXPECT_EQ(send("H\r"), "OK\r");
    EXPECT_EQ(send("S\r"), "S RRR\r");
    EXPECT_EQ(world->axis(WorldAxis::x).position, 950.0);

    const auto commands = positioner->commands();
    ASSERT_EQ(commands.size(), 13u);
    EXPECT_EQ(commands[3].line, "M X 1000");
    EXPECT_EQ(commands[3].at, 0ns);
    EXPECT_EQ(commands[11].line, "H");
    EXPECT_EQ(commands[11].at, 1200ms);
}

TEST_F(GenericPositionerTest, CommandsArrivingInPiecesAreAnsweredWhenTheirLineEnds) {
    EXPECT_EQ(send("M "), "");
    EXPECT_EQ(send("Y 12"), "");
    EXPECT_EQ(send("\r\nP"), "OK\r");
    clock->advance(1s);
    EXPECT_EQ(send("\r"), "P 0 12 0\r");
}

TEST_F(GenericPositionerTest, FaultsHomingAndBadCommandsAreAnswered) {
    struct Case {
        std::string command, answer;
    };
    for (const Case& c : {
             Case{"", "E SYNTAX\r"},
             Case{"Q", "E SYNTAX\r"},
             Case{"M W 10", "E SYNTAX\r"},
             Case{"M X ten", "E SYNTAX\r"},
             Case{"M X 10 ", "E SYNTAX\r"},
             Case{"M X nan", "E SYNTAX\r"},
             Case{"M  X 10", "E SYNTAX\r"},
             Case{"m X 10", "E SYNTAX\r"},
             Case{"V Y 0", "E RANGE\r"},
             Case{"A Z -5", "E RANGE\r"},
             Case{"P 1", "E SYNTAX\r"},
             Case{"MXY 1", "E SYNTAX\r"},
         }) {
        EXPECT_EQ(send(c.command + "\r"), c.answer) << '"' << c.command << '"';
    }
    EXPECT_EQ(send(std::string(200, 'M') + "\rN\r"), "E SYNTAX\rN 0\r");

    // Beyond the travel: stopped at the hard stop and faulted until cleared.
    EXPECT_EQ(send("V Z 1e6\rA Z 1e7\rM Z 100000\r"), "OK\rOK\rOK\r");
    clock->advance(1s);
    EXPECT_EQ(send("S\rP\r"), "S RRE\rP 0 0 90000\r");
    EXPECT_EQ(send("M Z 0\r"), "E FAULT\r");
    EXPECT_EQ(send("C Z\rM Z 0\r"), "OK\rOK\r");
    EXPECT_EQ(send("C Q\r"), "E SYNTAX\r");
}

TEST(GenericPositionerHomingTest, AnUnhomedPositionerRefusesMovesUntilHomed) {
    const auto clock = std::make_shared<SteppedWorldClock>();
    WorldConfiguration configuration;
    configuration.clock = clock;
    configuration.homed = false;
    const auto positioner = std::make_shared<SimulatedGenericPositioner>(std::make_shared<InstrumentWorld>(configuration));
    RecordingSerialPort port{SerialLineSettings{.baudRate = 57600}};
    const auto send = [&](const std::string& text) {
        positioner->receive(std::vector<std::uint8_t>(text.begin(), text.end()), port);
        const auto reply = port.take();
        return std::string(reply.begin(), reply.end());
    };
    EXPECT_EQ(send("N\rM X 5\r"), "N 1\rE HOME\r");
    EXPECT_EQ(send("HOME\r"), "OK\r");
    clock->advance(10s);
    EXPECT_EQ(send("N\rM X 5\r"), "N 0\rOK\r");
}

TEST(GenericPositionerHomingTest, IgnoresBytesAtAnotherLineSpeedAndIsRegistered) {
    const auto registry = builtInPositionerPeers();
    const PositionerPeerModel* model = registry.find(genericPositionerModel);
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->travel, (WorldPoint{300000.0, 300000.0, 90000.0}));
    EXPECT_EQ(registry.find("NoSuchPositioner"), nullptr);
    const auto peer = model->makePeer(std::make_shared<InstrumentWorld>());
    RecordingSerialPort port{SerialLineSettings{.baudRate = 115200}};
    const std::string text = "N\r";
    peer->receive(std::vector<std::uint8_t>(text.begin(), text.end()), port);
    EXPECT_TRUE(port.take().empty());
    EXPECT_EQ(peer->noiseByteCount(), 2u);
}
