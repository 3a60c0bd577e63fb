// The Gilson command layer against the controller peer: selection, the
// buffer check, buffered and immediate commands, and the move texts.

#include <chrono>
#include <clocale>
#include <future>
#include <thread>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Robotics/Gilson/GilsonCommands.hpp"
#include "Dotfield/tests/Robotics/Gilson/GilsonFixture.hpp"
#include "Dotfield/tests/Support/ErrorCapture.hpp"
#include "simulators/peers/ReplyFault.hpp"

namespace Dotfield::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Kind = CommunicationsError::Kind;

class GilsonCommands : public GilsonFixture {
  protected:
    // A link with the controller selected.
    std::shared_ptr<SerialPort> selectedPort(std::shared_ptr<Clock> clock = nullptr) {
        auto port = openPort(std::move(clock));
        selectGilsonDevice(20, *port, *pauses);
        return port;
    }

    // Runs the work on a thread while the clock moves on a second at a time,
    // until the work ends (at most a generous guard time).
    template <typename Work> auto whileTimePasses(ManualClock& clock, Work work) {
        auto done = std::async(std::launch::async, work);
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (done.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready &&
               std::chrono::steady_clock::now() < giveUp) {
            clock.advance(std::chrono::seconds(1));
        }
        return done.get();
    }
};

TEST_F(GilsonCommands, SelectionDeselectsPausesAndSelectsUnit20) {
    auto port = openPort();
    selectGilsonDevice(20, *port, *pauses);
    EXPECT_EQ(controller->bytesFromHost(), (Bytes{0xFF, 0x94}));
    EXPECT_GE(pauses->totalSleep(), std::chrono::milliseconds(20));
    EXPECT_TRUE(controller->isSelected());
}

TEST_F(GilsonCommands, AZeroAnswerRunsTheRecoveryAndSelectsAgain) {
    controller->answerSelectionsWithZero(1);
    auto port = openPort();
    selectGilsonDevice(20, *port, *pauses);
    EXPECT_EQ(controller->bytesFromHost(), (Bytes{0xFF, 0x94, 0xFF, 0xFF, 0x94}));
    EXPECT_EQ(pauses->totalSleep(), std::chrono::milliseconds(520));
    EXPECT_TRUE(controller->isSelected());
}

TEST_F(GilsonCommands, ASilentControllerFailsTheSelection) {
    controller->goSilent();
    auto port = openPort();
    EXPECT_EQ(errorThrownBy<CommunicationsError>([&] { selectGilsonDevice(20, *port, *pauses); }).kind(),
              Kind::readWriteTimeout);
}

TEST_F(GilsonCommands, AOneByteReplyIsItsCharacter) {
    auto port = selectedPort();
    controller->scriptImmediateReply(Bytes{0xD0});
    EXPECT_EQ(sendGilsonImmediateCommand("M", *port), "P");
    // Nothing acknowledged after a one-byte reply.
    EXPECT_EQ(occurrences(controller->bytesFromHost(), {0x06}), 0u);
}

TEST_F(GilsonCommands, ABusyControllerGetsTheCommandOnceMore) {
    auto port = selectedPort();
    controller->answerImmediateCommandsBusy(1);
    EXPECT_EQ(sendGilsonImmediateCommand("M", *port), "PPP");

    controller->clearTranscript();
    controller->answerImmediateCommandsBusy(2);
    const auto error = errorThrownBy<CommunicationsError>([&] { sendGilsonImmediateCommand("M", *port); });
    EXPECT_EQ(error, CommunicationsError::wrongByteCount(1, 0));
    EXPECT_EQ(controller->transcript(), (std::vector<std::string>{"busy M", "busy M"}));
}

TEST_F(GilsonCommands, AMultiByteReplyIsAcknowledgedByteByByteUntilItsLastByte) {
    auto port = selectedPort();
    const std::size_t mark = controller->bytesFromHost().size();
    controller->scriptImmediateReply(std::string("1.5/2.0"));
    EXPECT_EQ(sendGilsonImmediateCommand("X", *port), "1.5/2.0");
    EXPECT_EQ(bytesSince(mark), (Bytes{'X', 0x06, 0x06, 0x06, 0x06, 0x06, 0x06}));
}

TEST_F(GilsonCommands, RepliesThatAreNoTextAreCorrupted) {
    auto port = selectedPort();
    struct Case {
        const char* what;
        Bytes reply;
        std::size_t acknowledges;
    };
    const Case cases[] = {
        // 0x80 is a further byte, not the last; a lone 0x80 is no UTF-8.
        {"0x80 inside", {'1', 0x80, 0xB2}, 2},
        // Never ending: given up at 64 bytes, without asking for a 65th.
        {"endless", Bytes(80, 'A'), 63},
    };
    for (const Case& c : cases) {
        const std::size_t mark = controller->bytesFromHost().size();
        controller->scriptImmediateReply(c.reply);
        const auto error = errorThrownBy<CommunicationsError>([&] { sendGilsonImmediateCommand("X", *port); });
        EXPECT_EQ(error.kind(), Kind::corruptedResponse) << c.what;
        EXPECT_EQ(occurrences(bytesSince(mark), {0x06}), c.acknowledges) << c.what;
        // The rest of an endless reply is dropped by the next command.
        sendGilsonImmediateCommand("M", *port);
    }
    // A reply of exactly 64 bytes is taken.
    Bytes longest(64, 'A');
    longest.back() |= 0x80;
    controller->scriptImmediateReply(longest);
    EXPECT_EQ(sendGilsonImmediateCommand("X", *port), std::string(64, 'A'));
}

TEST_F(GilsonCommands, ABufferedCommandFollowsALineFeedAndItsEchoIsRead) {
    auto port = selectedPort();
    const std::size_t mark = controller->bytesFromHost().size();
    sendGilsonBufferedCommand("H", *port);
    EXPECT_EQ(bytesSince(mark), (Bytes{0x0A, 'H', 0x0D}));
    EXPECT_EQ(bufferedCommands(), std::vector<std::string>{"H"});
}

TEST_F(GilsonCommands, AShortEchoSendsTheTextAtMostTwiceMore) {
    auto port = selectedPort();
    const Bytes text{'e', 0x0D};
    // Buffer check passes, the echo comes back short; the resend without a
    // line feed is not a buffered command to the controller. A second check
    // and send succeed.
    controller->queueReplyFault(Simulators::ReplyFault::pass());
    controller->queueReplyFault(Simulators::ReplyFault::cutShort(1));
    std::size_t mark = controller->bytesFromHost().size();
    sendGilsonBufferedCommand("e", *port);
    EXPECT_EQ(occurrences(bytesSince(mark), text), 3u);

    // Short every time: after the two short echoes, the text goes out twice
    // more at most, and the error comes up.
    for (int i = 0; i < 2; ++i) {
        controller->queueReplyFault(Simulators::ReplyFault::pass());
        controller->queueReplyFault(Simulators::ReplyFault::cutShort(1));
    }
    mark = controller->bytesFromHost().size();
    EXPECT_EQ(errorThrownBy<CommunicationsError>([&] { sendGilsonBufferedCommand("e", *port); }).kind(),
              Kind::wrongByteCount);
    const Bytes sent = bytesSince(mark);
    EXPECT_EQ(occurrences(sent, text), 4u);
    EXPECT_EQ(occurrences(sent, {0x0A}), 2u);
}

TEST_F(GilsonCommands, TheBufferCheckGivesUpAfterFiveSecondsBusyOrUnread) {
    const auto clock = std::make_shared<ManualClock>();
    auto port = selectedPort(clock);

    controller->holdBufferBusy(true);
    const auto start = clock->now();
    const auto busy = whileTimePasses(*clock, [&] {
        try {
            checkForClearedGilsonBuffer(*port);
        } catch (const CommunicationsError& error) {
            return error.kind();
        }
        return Kind::corruptedResponse;
    });
    EXPECT_EQ(busy, Kind::readWriteTimeout);
    EXPECT_GE(clock->now() - start, std::chrono::seconds(5));
    controller->holdBufferBusy(false);

    controller->goSilent();
    bool printed = false;
    const auto silent = whileTimePasses(*clock, [&] {
        Kind kind = Kind::corruptedResponse;
        printed = consoleShows(
            [&] {
                try {
                    checkForClearedGilsonBuffer(*port);
                } catch (const CommunicationsError& error) {
                    kind = error.kind();
                }
            },
            "Couldn't read buffered data");
        return kind;
    });
    EXPECT_EQ(silent, Kind::readWriteTimeout);
    EXPECT_TRUE(printed);
}

TEST(GilsonMoveTexts, NumbersHaveThreeDecimalsAndSpeedsAFloor) {
    struct Case {
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {gilsonMoveZCommand(12.5, 2000), "Z12.500:2.000"},
        {gilsonMoveXYCommand(1.0, 50, 2.25, 5000), "X1.000:0.100/2.250:5.000"},
        {gilsonMoveZCommand(1.0, 0), "Z1.000:0.100"},
        {gilsonMoveZCommand(1.0, 99.9), "Z1.000:0.100"},
        {gilsonMoveZCommand(1.0, 123456), "Z1.000:123.456"},
        {gilsonMoveZCommand(-0.0004, 1000), "Z-0.000:1.000"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.text, c.expected);
    }
    // The user's locale (a decimal comma) changes nothing on the wire.
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "no German locale on this machine";
    }
    const std::string german = gilsonMoveXYCommand(1.0, 50, 2.25, 5000);
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(german, "X1.000:0.100/2.250:5.000");
}

} // namespace
} // namespace Dotfield::testing
