#include <chrono>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "simulators/peers/Scripted/ScriptedPeer.hpp"
#include "simulators/peers/tests/RecordingSerialPort.hpp"

using namespace Simulators;
using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

TEST(ScriptedPeer, AnswersEachWriteWithTheNextScriptedAnswerInItsPieces) {
    const SerialLineSettings line{.baudRate = 115200};
    RecordingSerialPort port(line);
    ScriptedPeer peer(line);
    peer.answerNextWrite({{{'O'}}, {{'K', '\r'}, 30ms}});
    peer.answerNextWrite({{{'!'}}});

    peer.receive(Bytes{'?'}, port);
    EXPECT_EQ(port.take(), Bytes{'O'});
    EXPECT_EQ(port.takeWhenAtLeast(2), (Bytes{'K', '\r'}));

    peer.receive(Bytes{'?'}, port);
    peer.receive(Bytes{'?'}, port);
    EXPECT_EQ(port.take(), Bytes{'!'});
    EXPECT_EQ(peer.writeCount(), 3u);
}
