#include <chrono>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "simulators/peers/Scripted/ScriptedPeer.hpp"

using namespace Simulators;
using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

TEST(ScriptedPeer, AnswersEachWriteWithTheNextScriptedAnswerInItsPieces) {
    ScriptedPeer peer({.baudRate = 115200});
    peer.answerNextWrite({{{'O'}}, {{'K', '\r'}, 30ms}});
    peer.answerNextWrite({{{'!'}}});

    const auto start = SimulatedPeer::Clock::now();
    peer.receiveFromHost(Bytes{'?'});
    EXPECT_EQ(peer.takeBytesForHost(10), Bytes{'O'});
    ASSERT_TRUE(peer.nextReplyDue().has_value());
    EXPECT_GE(*peer.nextReplyDue(), start + 30ms);
    EXPECT_EQ(peer.takeBytesForHost(10, *peer.nextReplyDue()), (Bytes{'K', '\r'}));

    peer.receiveFromHost(Bytes{'?'});
    peer.receiveFromHost(Bytes{'?'});
    EXPECT_EQ(peer.takeBytesForHost(10), Bytes{'!'});
    EXPECT_EQ(peer.writeCount(), 3u);
}
