#include <chrono>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "simulators/peers/SimulatedPeer.hpp"

using namespace Simulators;
using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

namespace {

// Answers every chunk it understands with the same bytes.
class EchoPeer final : public SimulatedPeer {
public:
    EchoPeer() : SimulatedPeer(SerialLineSettings{.baudRate = 115200}) {}

private:
    void decode(std::span<const std::uint8_t> bytes) override { reply(Bytes(bytes.begin(), bytes.end())); }
};

class SimulatedPeerTest : public testing::Test {
protected:
    Bytes send(const Bytes& bytes) {
        peer.receiveFromHost(bytes);
        return peer.takeBytesForHost(1024);
    }

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
        {{.baudRate = 9600}, false},
        {{.baudRate = 115200, .parity = Parity::even}, false},
        {{.baudRate = 115200, .dataBits = 7}, false},
        {{.baudRate = 115200, .stopBits = 2}, false},
    };
    std::size_t noise = 0;
    for (const auto& c : cases) {
        peer.setLineSettings(c.line);
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

TEST_F(SimulatedPeerTest, DelayedRepliesKeepTheirOrderAndArriveWhenDue) {
    const auto start = SimulatedPeer::Clock::now();
    peer.queueReplyFault(ReplyFault::delayBy(50ms));
    peer.receiveFromHost(Bytes{1});
    peer.receiveFromHost(Bytes{2}); // not delayed itself, but may not overtake
    ASSERT_TRUE(peer.nextReplyDue().has_value());
    EXPECT_GE(*peer.nextReplyDue(), start + 50ms);
    EXPECT_EQ(peer.takeBytesForHost(10, start + 49ms), Bytes{});
    EXPECT_EQ(peer.takeBytesForHost(10, *peer.nextReplyDue()), (Bytes{1, 2}));
}

TEST_F(SimulatedPeerTest, TakesRepliesInPiecesOfTheAskedSize) {
    peer.receiveFromHost(Bytes{1, 2, 3});
    peer.receiveFromHost(Bytes{4, 5});
    EXPECT_EQ(peer.takeBytesForHost(2), (Bytes{1, 2}));
    EXPECT_EQ(peer.takeBytesForHost(2), (Bytes{3, 4}));
    EXPECT_EQ(peer.takeBytesForHost(2), (Bytes{5}));
    EXPECT_FALSE(peer.nextReplyDue().has_value());
}

TEST_F(SimulatedPeerTest, SilenceAndUnpluggingStopReplies) {
    peer.goSilent();
    EXPECT_EQ(send({7}), Bytes{});
    peer.speakAgain();
    EXPECT_EQ(send({7}), Bytes{7});

    std::vector<bool> plugEvents;
    peer.setPlugListener([&](bool unplugged) { plugEvents.push_back(unplugged); });
    peer.receiveFromHost(Bytes{8});
    peer.unplug();
    EXPECT_EQ(peer.takeBytesForHost(10), Bytes{}) << "replies in flight are lost with the cable";
    EXPECT_EQ(send({9}), Bytes{});
    peer.plugBackIn();
    EXPECT_EQ(send({10}), Bytes{10});
    EXPECT_EQ(plugEvents, (std::vector<bool>{true, false}));
    EXPECT_EQ(peer.bytesFromHost(), (Bytes{7, 7, 8, 10}));
}

TEST_F(SimulatedPeerTest, TellsTheListenerAboutQueuedReplies) {
    int calls = 0;
    peer.setReplyListener([&] { ++calls; });
    peer.receiveFromHost(Bytes{1});
    peer.goSilent();
    peer.receiveFromHost(Bytes{2});
    EXPECT_EQ(calls, 1);
}

TEST_F(SimulatedPeerTest, UnpromptedBytesTakeFaultsAndDelaysLikeReplies) {
    const auto start = SimulatedPeer::Clock::now();
    peer.queueReplyFault(ReplyFault::cutShort(1));
    peer.sendUnprompted({1, 2}, 40ms);
    ASSERT_TRUE(peer.nextReplyDue().has_value());
    EXPECT_GE(*peer.nextReplyDue(), start + 40ms);
    EXPECT_EQ(peer.takeBytesForHost(10, *peer.nextReplyDue()), Bytes{1});
}
