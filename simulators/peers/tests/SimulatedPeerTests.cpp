#include <chrono>
#include <span>
#include <thread>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "simulators/peers/SimulatedPeer.hpp"
#include "simulators/peers/tests/RecordingSerialPort.hpp"

using namespace Simulators;
using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

namespace {

constexpr SerialLineSettings line115200{.baudRate = 115200};

// Answers every chunk it understands with the same bytes.
class EchoPeer final : public SimulatedPeer {
  public:
    EchoPeer() : SimulatedPeer(line115200) {}

  private:
    void decode(std::span<const std::uint8_t> bytes) override { reply(Bytes(bytes.begin(), bytes.end())); }
};

// Answers every chunk it understands with the same bytes, a little later.
class PacedEchoPeer final : public SimulatedPeer {
  public:
    explicit PacedEchoPeer(std::chrono::nanoseconds pace) : SimulatedPeer(line115200), pace_(pace) {}

  private:
    void decode(std::span<const std::uint8_t> bytes) override { reply(Bytes(bytes.begin(), bytes.end()), pace_); }
    std::chrono::nanoseconds pace_;
};

class SimulatedPeerTest : public testing::Test {
  protected:
    Bytes send(const Bytes& bytes) {
        peer.receive(bytes, port);
        return port.take();
    }

    RecordingSerialPort port{line115200};
    EchoPeer peer;
};

} // namespace

TEST_F(SimulatedPeerTest, UnderstandsOnlyItsOwnLineSettings) {
    struct Case {
        SerialLineSettings line;
        bool understood;
    };
    const Case cases[] = {
        {{.baudRate = 115200}, true},
        {{.baudRate = 115384}, true}, // the rate an adapter reaches for 115200
        {{.baudRate = 0}, false},     // never set
        {{.baudRate = 9600}, false},
        {{.baudRate = 115200, .parity = Parity::even}, false},
        {{.baudRate = 115200, .dataBits = 7}, false},
        {{.baudRate = 115200, .stopBits = StopBits::two}, false},
    };
    std::size_t noise = 0;
    for (const auto& c : cases) {
        port.setLineSettings(c.line);
        const Bytes answer = send({0x41, 0x42});
        EXPECT_EQ(answer.empty(), !c.understood) << c.line.baudRate;
        noise += c.understood ? 0 : 2;
    }
    EXPECT_EQ(peer.noiseByteCount(), noise);
}

TEST_F(SimulatedPeerTest, QueuedFaultsSpoilOneReplyEachInOrder) {
    peer.queueReplyFault(ReplyFault::pass());
    peer.queueReplyFault(ReplyFault::drop());
    peer.queueReplyFault(ReplyFault::corrupt(1, 0x0F));
    peer.queueReplyFault(ReplyFault::cutShort(2));
    peer.queueReplyFault(ReplyFault::corrupt(9)); // beyond the reply: left alone

    EXPECT_EQ(send({1, 2, 3}), (Bytes{1, 2, 3}));
    EXPECT_EQ(send({1, 2, 3}), Bytes{});
    EXPECT_EQ(send({1, 2, 3}), (Bytes{1, 0x0D, 3}));
    EXPECT_EQ(send({1, 2, 3}), (Bytes{1, 2}));
    EXPECT_EQ(send({1, 2, 3}), (Bytes{1, 2, 3}));
    EXPECT_EQ(send({1, 2, 3}), (Bytes{1, 2, 3}));
    EXPECT_EQ(peer.replyCount(), 6u);
}

TEST_F(SimulatedPeerTest, LateRepliesArriveWhenDueAndKeepTheirOrder) {
    peer.queueReplyFault(ReplyFault::delayBy(60ms));
    const auto start = SimulatedPeer::Clock::now();
    EXPECT_EQ(send({1}), Bytes{});
    EXPECT_EQ(send({2}), Bytes{}) << "an answer may not overtake a late one";
    EXPECT_EQ(port.takeWhenAtLeast(2), (Bytes{1, 2}));
    EXPECT_GE(SimulatedPeer::Clock::now() - start, 60ms);

    peer.sendUnprompted({3}, 30ms);
    EXPECT_EQ(port.take(), Bytes{});
    EXPECT_EQ(port.takeWhenAtLeast(1), Bytes{3});
}

TEST_F(SimulatedPeerTest, SilenceAndUnpluggingStopReplies) {
    peer.goSilent();
    EXPECT_EQ(send({7}), Bytes{});
    peer.speakAgain();
    EXPECT_EQ(send({7}), Bytes{7});

    std::vector<bool> plugEvents;
    peer.setPlugListener([&](bool unplugged) { plugEvents.push_back(unplugged); });
    // Due long after the test ends: only the unplugging can have removed it.
    peer.setReplyDelay(1h);
    peer.receive(Bytes{8}, port);
    peer.unplug();
    EXPECT_EQ(send({9}), Bytes{});
    peer.plugBackIn();
    peer.setReplyDelay(0ms);
    EXPECT_EQ(send({10}), Bytes{10}) << "the reply lost with the cable stays lost";
    EXPECT_EQ(plugEvents, (std::vector<bool>{true, false}));
    EXPECT_EQ(peer.bytesFromHost(), (Bytes{7, 7, 8, 10}));
}

TEST_F(SimulatedPeerTest, ADetachedPeerSendsNothingMore) {
    peer.setReplyDelay(20ms);
    peer.receive(Bytes{1}, port);
    peer.detachFromAdapter();
    // The peer's replies fall due on the machine's clock: let the time pass.
    const auto due = SimulatedPeer::Clock::now() + 20ms;
    while (SimulatedPeer::Clock::now() < due) {
        std::this_thread::sleep_for(due - SimulatedPeer::Clock::now());
    }
    // A reply still queued would now go out before this one, which the
    // writer's thread sends itself.
    peer.setReplyDelay(0ms);
    peer.receive(Bytes{2}, port);
    EXPECT_EQ(port.take(), Bytes{2});
}

// The delivery thread waits for the reply at the head of the queue while the
// writer's thread sends that reply once it is due, and while an unplugging
// drops every reply: the wait must not hold on to a reply another thread has
// removed (under the address sanitizer this caught a read of freed memory).
TEST(SimulatedPeerDelivery, RepliesTakenByOtherThreadsWhileTheDeliveryWaitsForThem) {
    RecordingSerialPort port{line115200};
    PacedEchoPeer peer{20us};
    Bytes expected;
    for (int round = 0; round < 40; ++round) {
        for (int i = 0; i < 50; ++i) {
            const auto byte = static_cast<std::uint8_t>(i);
            peer.receive(Bytes{byte}, port);
            expected.push_back(byte);
        }
        // Every reply still arrives, each once and in order.
        EXPECT_EQ(port.takeWhenAtLeast(expected.size()), expected);
        expected.clear();
        // Replies on their way are lost with the cable; one already taken
        // out for sending may still arrive, before the marker sent after.
        for (int i = 0; i < 20; ++i) {
            peer.receive(Bytes{0xFF}, port);
        }
        peer.unplug();
        peer.plugBackIn();
        peer.receive(Bytes{0xFE}, port);
        Bytes drained;
        while (drained.empty() || drained.back() != 0xFE) {
            const Bytes more = port.takeWhenAtLeast(1);
            ASSERT_FALSE(more.empty()) << "the marker never came";
            drained.insert(drained.end(), more.begin(), more.end());
        }
    }
}
