#include <cstdint>
#include <future>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/Errors/RelayError.hpp"
#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/Instrument/Relay/Relay.hpp"
#include "Dotfield/Instrument/Relay/RelayControl.hpp"
#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/tests/Instrument/SerialLink/SimulatedInstrumentFixture.hpp"

using namespace Dotfield;
using Bytes = std::vector<std::uint8_t>;
using Simulators::ReplyFault;
using Command = Simulators::SimulatedRelayBox::Command;

namespace {

class RelayControlTest : public SimulatedInstrumentFixture {
  protected:
    void SetUp() override {
        SimulatedInstrumentFixture::SetUp();
        const auto p = properties(SerialPortType::relay);
        relay.setSerialPort(track(openSerialPort(p.portName, p.baudRate, p.evenParity, shortTiming())));
    }

    // The way the windows and the printing engine switch: on the relay's queue.
    void switchRelay(RelayState state) {
        performOnQueueSyncReturning([&] { switchExternalRelay(state, relay.serialPort()); }, relay);
    }

    RelayErrorKind switchFailure(RelayState state) {
        try {
            switchRelay(state);
        } catch (const RelayError& error) {
            return error.kind();
        }
        ADD_FAILURE() << "the switch succeeded";
        return {};
    }

    Relay relay;
};

} // namespace

TEST_F(RelayControlTest, SwitchesAndConfirmsByReadingTheStateBack) {
    switchRelay(RelayState::closed);
    EXPECT_TRUE(relayBox->isClosed());
    switchRelay(RelayState::closed); // already closed: sent and confirmed again
    switchRelay(RelayState::open);
    EXPECT_FALSE(relayBox->isClosed());

    EXPECT_EQ(relayBox->bytesFromHost(), (Bytes{0xFF, 0x01, 0x01, 0xFF, 0x01, 0x03, 0xFF, 0x01, 0x01, 0xFF,
                                                0x01, 0x03, 0xFF, 0x01, 0x00, 0xFF, 0x01, 0x03}));
    EXPECT_FALSE(readExternalRelayStatus(relay.serialPort()));
    relayBox->setClosed(true);
    EXPECT_TRUE(readExternalRelayStatus(relay.serialPort()));
}

// The adapter takes no byte of the first switch command and takes the
// second: the switch succeeds. When both are refused, the box is never asked
// for its state and the second write's short count is the error.
TEST_F(RelayControlTest, AFailedSwitchCommandIsSentOnceMore) {
    const auto adapter = instrument->relayAdapter();
    adapter->failNextWrites(1);
    switchRelay(RelayState::closed);
    EXPECT_TRUE(relayBox->isClosed());
    EXPECT_EQ(relayBox->commands(), (std::vector<Command>{Command::close, Command::query}));

    adapter->failNextWrites(2);
    EXPECT_EQ(switchFailure(RelayState::open), RelayErrorKind::unrecoverableCommunicationNoise);
    EXPECT_TRUE(relayBox->isClosed());
    EXPECT_EQ(relayBox->commands(), (std::vector<Command>{Command::close, Command::query}));
}

TEST_F(RelayControlTest, BadRepliesBecomeCommunicationNoise) {
    relayBox->setReportedStateByte(0x02);
    try {
        readExternalRelayStatus(relay.serialPort());
        ADD_FAILURE() << "state byte 2 accepted";
    } catch (const CommunicationsError& error) {
        EXPECT_EQ(error, CommunicationsError::corruptedResponse({0xFF}, {0x02}));
    }
    EXPECT_EQ(switchFailure(RelayState::closed), RelayErrorKind::unrecoverableCommunicationNoise);
    relayBox->setReportedStateByte(std::nullopt);

    relayBox->queueReplyFault(ReplyFault::cutShort(2));
    EXPECT_EQ(switchFailure(RelayState::closed), RelayErrorKind::unrecoverableCommunicationNoise);
    relayBox->goSilent();
    EXPECT_EQ(switchFailure(RelayState::open), RelayErrorKind::unrecoverableCommunicationNoise);
}

TEST_F(RelayControlTest, ABoxOnAnotherLineSpeedNeverAnswers) {
    relay.serialPort()->closeSerialPort();
    const auto p = properties(SerialPortType::relay);
    relay.setSerialPort(track(openSerialPort(p.portName, 19200, p.evenParity, shortTiming())));
    EXPECT_EQ(switchFailure(RelayState::closed), RelayErrorKind::unrecoverableCommunicationNoise);
    EXPECT_FALSE(relayBox->isClosed());
    EXPECT_EQ(relayBox->noiseByteCount(), 6u);
}

TEST_F(RelayControlTest, AStuckRelayDidNotSwitch) {
    relayBox->setStuck(true);
    EXPECT_EQ(switchFailure(RelayState::closed), RelayErrorKind::relayDidNotSwitch);
}

TEST_F(RelayControlTest, ALostLinkIsADisconnectedRelay) {
    relayBox->unplug();
    EXPECT_EQ(switchFailure(RelayState::closed), RelayErrorKind::electronicsDisconnected);
}

TEST_F(RelayControlTest, NoPortOrAClosedPortIsADisconnectedRelay) {
    relay.serialPort()->closeSerialPort();
    EXPECT_EQ(switchFailure(RelayState::closed), RelayErrorKind::electronicsDisconnected);

    relay.setSerialPort(nullptr);
    EXPECT_EQ(switchFailure(RelayState::closed), RelayErrorKind::electronicsDisconnected);
    try {
        readExternalRelayStatus(relay.serialPort());
        ADD_FAILURE() << "read without a port";
    } catch (const RelayError& error) {
        EXPECT_EQ(error.kind(), RelayErrorKind::electronicsDisconnected);
    }
}

TEST(Relay, HasItsOwnQueueFromCreationAndNoKnownState) {
    Relay relay;
    EXPECT_EQ(relay.serialDispatchQueue().label(), "com.veltrane.Dotfield.relayCommunicationQueue");
    EXPECT_EQ(relay.serialPort(), nullptr);
    EXPECT_EQ(relay.knownState(), std::nullopt);
}

// The known state follows successful switches only, whoever switches: from
// another thread, or from work already on the relay's queue.
TEST_F(RelayControlTest, TheKnownStateIsSetByEachSuccessfulSwitchOnly) {
    EXPECT_EQ(relay.knownState(), std::nullopt);
    relay.switchRelay(RelayState::closed);
    EXPECT_EQ(relay.knownState(), RelayState::closed);
    EXPECT_TRUE(relayBox->isClosed());

    relayBox->setStuck(true);
    try {
        relay.switchRelay(RelayState::open);
        ADD_FAILURE() << "a stuck contact switched";
    } catch (const RelayError& error) {
        EXPECT_EQ(error.kind(), RelayErrorKind::relayDidNotSwitch);
    }
    EXPECT_EQ(relay.knownState(), RelayState::closed);
    relayBox->setStuck(false);

    std::promise<void> switched;
    relay.serialDispatchQueue().async([&] {
        relay.switchRelay(RelayState::open);
        switched.set_value();
    });
    switched.get_future().get();
    EXPECT_EQ(relay.knownState(), RelayState::open);
    EXPECT_FALSE(relayBox->isClosed());
    EXPECT_EQ(relayBox->commands(), (std::vector<Command>{Command::close, Command::query, Command::open,
                                                          Command::query, Command::open, Command::query}));
}

TEST_F(RelayControlTest, ANewPortForgetsTheKnownState) {
    relay.switchRelay(RelayState::closed);
    const auto p = properties(SerialPortType::relay);
    relay.serialPort()->closeSerialPort();
    relay.setSerialPort(track(openSerialPort(p.portName, p.baudRate, p.evenParity, shortTiming())));
    EXPECT_EQ(relay.knownState(), std::nullopt);
}
