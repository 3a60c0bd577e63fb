#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "simulators/peers/RelayBox/SimulatedRelayBox.hpp"
#include "simulators/peers/tests/RecordingSerialPort.hpp"

using namespace Simulators;
using Bytes = std::vector<std::uint8_t>;
using Command = SimulatedRelayBox::Command;

namespace {

class SimulatedRelayBoxTest : public testing::Test {
  protected:
    Bytes send(const Bytes& bytes) {
        box.receive(bytes, port);
        return port.take();
    }

    RecordingSerialPort port{SerialLineSettings{.baudRate = 9600}};
    SimulatedRelayBox box;
};

} // namespace

TEST_F(SimulatedRelayBoxTest, SwitchesSilentlyAndReportsItsState) {
    EXPECT_EQ(send({0xFF, 0x01, 0x03}), (Bytes{0xFF, 0x01, 0x00}));
    EXPECT_EQ(send({0xFF, 0x01, 0x01}), Bytes{});
    EXPECT_TRUE(box.isClosed());
    EXPECT_EQ(send({0xFF, 0x01, 0x03}), (Bytes{0xFF, 0x01, 0x01}));
    EXPECT_EQ(send({0xFF, 0x01, 0x00}), Bytes{});
    EXPECT_FALSE(box.isClosed());
    EXPECT_EQ(box.commands(),
              (std::vector<Command>{Command::query, Command::close, Command::query, Command::open}));
}

TEST_F(SimulatedRelayBoxTest, ReassemblesSplitFramesAndSkipsNoise) {
    EXPECT_EQ(send({0xFF}), Bytes{});
    EXPECT_EQ(send({0x01}), Bytes{});
    EXPECT_EQ(send({0x01, 0x00, 0xFF, 0xFF, 0x01, 0x03}), (Bytes{0xFF, 0x01, 0x01}));
    // Another channel and an unknown command are not frames of this board.
    EXPECT_EQ(send({0xFF, 0x02, 0x00, 0xFF, 0x01, 0x07}), Bytes{});
    EXPECT_TRUE(box.isClosed());
    EXPECT_EQ(box.commands(), (std::vector<Command>{Command::close, Command::query}));
}

TEST_F(SimulatedRelayBoxTest, StuckContactAndForgedStateByte) {
    box.setStuck(true);
    send({0xFF, 0x01, 0x01});
    EXPECT_FALSE(box.isClosed());
    box.setReportedStateByte(0x02);
    EXPECT_EQ(send({0xFF, 0x01, 0x03}), (Bytes{0xFF, 0x01, 0x02}));
}

TEST_F(SimulatedRelayBoxTest, IgnoresCommandsAtAnotherLineSpeed) {
    port.setLineSettings({.baudRate = 115200});
    EXPECT_EQ(send({0xFF, 0x01, 0x01, 0xFF, 0x01, 0x03}), Bytes{});
    EXPECT_FALSE(box.isClosed());
    EXPECT_EQ(box.noiseByteCount(), 6u);
}
