#include <chrono>
#include <cstdint>
#include <future>
#include <iostream>
#include <optional>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/Errors/SerialPortConnectionError.hpp"
#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialCommunication.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/tests/Instrument/SerialLink/SimulatedInstrumentFixture.hpp"
#include "adapterdriver/USB/BackendSelection.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

using namespace Dotfield;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Simulators::ReplyFault;

namespace {

template <typename Error, typename Operation> Error errorThrownBy(Operation&& operation) {
    try {
        operation();
    } catch (const Error& error) {
        return error;
    }
    ADD_FAILURE() << "nothing thrown";
    throw std::logic_error("nothing thrown");
}

std::atomic<int> readCalls{0};
AD_STATUS countedRead(AD_HANDLE handle, void* buffer, std::uint32_t count, std::uint32_t* transferred) {
    ++readCalls;
    return AD_Read(handle, buffer, count, transferred);
}

class SerialLinkTest : public SimulatedInstrumentFixture {
  protected:
    std::shared_ptr<SerialPort> openElectronicsPort(const SerialPortTiming& timing) {
        const auto p = properties(SerialPortType::electronics);
        return track(openSerialPort(p.portName, p.baudRate, p.evenParity, timing));
    }

    Bytes read(std::size_t count) { return genericSerialCommunication(std::nullopt, count, *port, AD_Read); }
    void write(const Bytes& bytes) { genericSerialCommunication(bytes, bytes.size(), *port, AD_Write); }

    void SetUp() override {
        SimulatedInstrumentFixture::SetUp();
        port = openElectronicsPort(shortTiming());
    }

    std::shared_ptr<SerialPort> port;
};

} // namespace

TEST_F(SerialLinkTest, OpensEveryLinkByTheBeginningOfItsDescription) {
    for (const auto type : {SerialPortType::relay, SerialPortType::nskRobotics}) {
        const auto p = properties(type);
        const auto opened = track(openSerialPort(p.portName, p.baudRate, p.evenParity, shortTiming()));
        genericSerialCommunication(Bytes{0x55}, 1, *opened, AD_Write);
    }
    write({0x42});
    EXPECT_EQ(electronics->bytesFromHost(), Bytes{0x42});
    EXPECT_EQ(positioner->bytesFromHost(), Bytes{0x55});
    EXPECT_EQ(relayBox->bytesFromHost(), Bytes{0x55});
}

TEST_F(SerialLinkTest, ReportsAMissingOrUnopenableAdapter) {
    EXPECT_EQ(errorThrownBy<SerialPortConnectionError>([] {
                  openSerialPort("No Such Adapter", 9600, false);
              }).kind(),
              SerialPortConnectionErrorKind::deviceMissing);

    // Listed as "Dual RS232 A", but the driver opens the dual adapter only by
    // its description with the interface letter.
    testing::internal::CaptureStdout();
    const auto failure =
        errorThrownBy<SerialPortConnectionError>([] { openSerialPort("Dual RS232", 9600, false); });
    EXPECT_EQ(failure.kind(), SerialPortConnectionErrorKind::connectionToDeviceFailed);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Failed to open port with status: 2\n");
}

// A bus of its own: the relay box's adapter, possibly behind another one.
class RelayAdapterBusTest : public testing::Test {
  protected:
    void plugIn(const std::vector<Simulators::AdapterDescription>& ahead,
                const Simulators::AdapterDescription& relayAdapter) {
        for (const auto& description : ahead) {
            bus->plugIn(description);
        }
        bus->plugIn(relayAdapter)->attachPeer(0, relayBox);
        ASSERT_TRUE(adapterdriver::setUSBBackend(bus));
    }

    void TearDown() override {
        relayBox->detachFromAdapter();
        EXPECT_TRUE(adapterdriver::setUSBBackend(nullptr));
    }

    // Opens the relay link and closes the relay through it.
    void openAndSwitch() {
        const auto p = properties(SerialPortType::relay);
        try {
            const auto port = openSerialPort(p.portName, p.baudRate, p.evenParity);
            genericSerialCommunication(Bytes{0xFF, 0x01, 0x01}, 3, *port, AD_Write);
            port->closeSerialPort();
        } catch (const SerialPortConnectionError& error) {
            ADD_FAILURE() << "not opened: " << error.what();
        }
        EXPECT_TRUE(relayBox->isClosed());
    }

    const std::shared_ptr<Simulators::SimulatedUSBBus> bus = std::make_shared<Simulators::SimulatedUSBBus>();
    const std::shared_ptr<Simulators::SimulatedRelayBox> relayBox =
        std::make_shared<Simulators::SimulatedRelayBox>();
};

// An adapter whose listing entry cannot be read (here: it has no product
// name) ahead of the one looked for does not end the search.
TEST_F(RelayAdapterBusTest, SkipsAnAdapterWhoseListingEntryCannotBeRead) {
    plugIn({Simulators::AdapterDescription::chip232R("", "NAMELESS")},
           Simulators::SimulatedInstrument::relayAdapterDescription());
    openAndSwitch();
}

// An older chip without bit modes and latency timer answers "not supported"
// to those two settings; the port is sound without them.
TEST_F(RelayAdapterBusTest, AnOlderChipWithoutBitModeOrLatencyTimerOpens) {
    plugIn({}, Simulators::AdapterDescription::chipAM("FT232R USB UART", "OLD00001"));
    openAndSwitch();
}

TEST_F(SerialLinkTest, RefusedLineSettingClosesTheHandleAndFails) {
    // No divisor of the chip comes within 3 % of 100 baud.
    const auto p = properties(SerialPortType::relay);
    EXPECT_EQ(
        errorThrownBy<SerialPortConnectionError>([&] { openSerialPort(p.portName, 100, false); }).kind(),
        SerialPortConnectionErrorKind::settingTheSettingsFailed);
    // The handle was closed: the adapter opens again.
    track(openSerialPort(p.portName, p.baudRate, p.evenParity, shortTiming()));
}

TEST_F(SerialLinkTest, ZeroByteReadNeedsNoDriverCall) {
    readCalls = 0;
    EXPECT_EQ(genericSerialCommunication(std::nullopt, 0, *port, countedRead), Bytes{});
    EXPECT_EQ(readCalls.load(), 0);
}

TEST_F(SerialLinkTest, ShortReplyIsAWrongByteCountAndIsConsumed) {
    electronics->sendUnprompted({1, 2, 3});
    const auto error = errorThrownBy<CommunicationsError>([&] { read(5); });
    EXPECT_EQ(error, CommunicationsError::wrongByteCount(5, 3));
    EXPECT_EQ(bytesAvailableOnSerialPort(*port), 0u);
}

TEST_F(SerialLinkTest, ReplyAfterTheReadTimeOutIsStillCollected) {
    // Nothing within the driver's read time-out, then all of it within the wait.
    const auto timing = shortTiming();
    const auto readTimeOut = std::chrono::milliseconds(timing.readTimeoutMilliseconds);
    electronics->sendUnprompted({1, 2, 3, 4, 5}, readTimeOut + (timing.bufferedBytesWait - readTimeOut) / 4);
    EXPECT_EQ(read(5), (Bytes{1, 2, 3, 4, 5}));
}

TEST_F(SerialLinkTest, ReplyAfterTheReadTimeOutAtTheInstrumentsOwnTimes) {
    port->closeSerialPort();
    port = openElectronicsPort(SerialPortTiming{});
    electronics->sendUnprompted({1, 2, 3, 4, 5}, 1500ms);
    EXPECT_EQ(read(5), (Bytes{1, 2, 3, 4, 5}));
}

TEST_F(SerialLinkTest, SilenceEndsTheExchangeAsAShortRead) {
    const auto error = errorThrownBy<CommunicationsError>([&] { read(4); });
    EXPECT_EQ(error, CommunicationsError::wrongByteCount(4, 0));
}

TEST_F(SerialLinkTest, TerminatorReadCollectsChunksUntilTheLastByteIsTheTerminator) {
    electronics->answerNextWrite({{{'O'}}, {{'K', '\r'}, 40ms}});
    write({'?'});
    EXPECT_EQ(readBytesUntilTerminator('\r', *port), (Bytes{'O', 'K', '\r'}));

    // A terminator inside a chunk does not end the read.
    electronics->answerNextWrite({{{'A'}}, {{'\r', 'B'}, 40ms}, {{'\r'}, 80ms}});
    write({'?'});
    EXPECT_EQ(readBytesUntilTerminator('\r', *port), (Bytes{'A', '\r', 'B', '\r'}));
}

// A device that keeps talking without ending its reply does not hold the
// link without end.
TEST_F(SerialLinkTest, TerminatorReadGivesUpOnAnEndlessReply) {
    const Bytes stream(longestTerminatedReply + 100, 'x');
    electronics->sendUnprompted(stream);
    const auto error = errorThrownBy<CommunicationsError>([&] { readBytesUntilTerminator('\r', *port); });
    EXPECT_EQ(error.kind(), CommunicationsError::Kind::corruptedResponse);
    EXPECT_EQ(error.expectedResponse(), Bytes{'\r'});
    EXPECT_GE(error.receivedResponse().size(), longestTerminatedReply);
}

TEST_F(SerialLinkTest, EchoedWriteRetriesOnceAndIgnoresTheEchosContent) {
    const Bytes command{'V', '1', '2', '\r'};
    electronics->answerNextWrite({{{'x', 'y', 'z', 'w'}}});
    writeBytesWithRetry(command, *port);

    electronics->queueReplyFault(ReplyFault::cutShort(2));
    electronics->answerNextWrite({{command}});
    electronics->answerNextWrite({{command}});
    writeBytesWithRetry(command, *port);
    EXPECT_EQ(electronics->writeCount(), 3u);

    electronics->goSilent();
    electronics->answerNextWrite({{command}});
    electronics->answerNextWrite({{command}});
    EXPECT_EQ(errorThrownBy<CommunicationsError>([&] { writeBytesWithRetry(command, *port); }),
              CommunicationsError::wrongByteCount(4, 0));
    EXPECT_EQ(electronics->writeCount(), 5u);
}

TEST_F(SerialLinkTest, AClosedPortNeverReachesTheDriver) {
    port->closeSerialPort();
    port->closeSerialPort();
    readCalls = 0;
    EXPECT_EQ(errorThrownBy<CommunicationsError>(
                  [&] { genericSerialCommunication(std::nullopt, 3, *port, countedRead); }),
              CommunicationsError::failedStatusCheck());
    EXPECT_EQ(readCalls.load(), 0);
    EXPECT_EQ(errorThrownBy<CommunicationsError>([&] { bytesAvailableOnSerialPort(*port); }),
              CommunicationsError::failedStatusCheck());
    EXPECT_EQ(errorThrownBy<CommunicationsError>([&] { write({1}); }),
              CommunicationsError::failedStatusCheck());
}

TEST_F(SerialLinkTest, AnUnpluggedAdapterFailsItsStatusCheck) {
    electronics->unplug();
    EXPECT_EQ(errorThrownBy<CommunicationsError>([&] { write({1}); }),
              CommunicationsError::failedStatusCheck());
}

// The owners' reconnection: close the port of the vanished adapter, open the
// one that appeared when the cable went back in.
TEST_F(SerialLinkTest, AReconnectedAdapterIsOpenedAnew) {
    electronics->unplug();
    EXPECT_THROW(write({1}), CommunicationsError);
    port->closeSerialPort();
    electronics->plugBackIn();
    port = openElectronicsPort(shortTiming());
    write({2});
    EXPECT_EQ(electronics->bytesFromHost(), Bytes{2});
}

// Returns once a thread sleeps on the clock (bounded, in case none ever does).
void awaitSleeper(const ManualClock& clock) {
    Dotfield::Testing::eventually([&] { return clock.pendingWaitCount() != 0; });
}

TEST_F(SerialLinkTest, WaitingForBytesSleepsUntilTheyComeAndGivesUpAfterTwoSeconds) {
    auto clock = std::make_shared<ManualClock>();
    SerialPortTiming timing = shortTiming();
    timing.bufferedBytesWait = std::chrono::milliseconds(2000);
    timing.clock = clock;
    port->closeSerialPort();
    port = openElectronicsPort(timing);
    const auto waitFor = [&](std::size_t count) {
        return std::async(std::launch::async,
                          [this, count] { waitForBufferedBytesOnSerialPort(count, *port); });
    };

    // Bytes that arrive end the wait; no time needs to pass.
    auto waiting = waitFor(2);
    awaitSleeper(*clock);
    electronics->sendUnprompted({1, 2});
    ASSERT_EQ(waiting.wait_for(5s), std::future_status::ready);
    EXPECT_NO_THROW(waiting.get());
    EXPECT_EQ(read(2), Bytes({1, 2}));

    // Nothing comes: the wait sleeps through 2.0 s and gives up just after.
    const auto start = clock->now();
    waiting = waitFor(1);
    awaitSleeper(*clock);
    clock->advance(2000ms);
    awaitSleeper(*clock);
    EXPECT_EQ(waiting.wait_for(20ms), std::future_status::timeout);
    clock->advance(1ms);
    ASSERT_EQ(waiting.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(errorThrownBy<CommunicationsError>([&] { waiting.get(); }),
              CommunicationsError::readWriteTimeout());
    EXPECT_EQ(clock->now() - start, 2001ms);

    // Too few bytes by the end of the wait: they are read and dropped.
    electronics->sendUnprompted({7, 8});
    while (bytesAvailableOnSerialPort(*port) < 2) {
    }
    waiting = waitFor(5);
    awaitSleeper(*clock);
    clock->advance(2001ms);
    ASSERT_EQ(waiting.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(errorThrownBy<CommunicationsError>([&] { waiting.get(); }),
              CommunicationsError::wrongByteCount(5, 2));
    EXPECT_EQ(bytesAvailableOnSerialPort(*port), 0u);
}

// The terminator read sleeps on the clock until bytes come: they wake it with
// no time passing, and a silence ends it once the clock has gone past the
// 2.0 s wait.
TEST_F(SerialLinkTest, TerminatorReadSleepsUntilBytesComeAndGivesUpAfterTwoSeconds) {
    auto clock = std::make_shared<ManualClock>();
    SerialPortTiming timing = shortTiming();
    timing.bufferedBytesWait = std::chrono::milliseconds(2000);
    timing.clock = clock;
    port->closeSerialPort();
    port = openElectronicsPort(timing);
    const auto readToCarriageReturn = [&] {
        return std::async(std::launch::async, [this] { return readBytesUntilTerminator('\r', *port); });
    };

    const auto start = clock->now();
    auto reading = readToCarriageReturn();
    awaitSleeper(*clock);
    EXPECT_EQ(clock->pendingWaitCount(), 1u);
    electronics->sendUnprompted({'O', 'K', '\r'});
    ASSERT_EQ(reading.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(reading.get(), (Bytes{'O', 'K', '\r'}));
    EXPECT_EQ(clock->now(), start);

    reading = readToCarriageReturn();
    awaitSleeper(*clock);
    clock->advance(2000ms);
    awaitSleeper(*clock);
    EXPECT_EQ(reading.wait_for(20ms), std::future_status::timeout);
    clock->advance(1ms);
    ASSERT_EQ(reading.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(errorThrownBy<CommunicationsError>([&] { reading.get(); }),
              CommunicationsError::readWriteTimeout());
    EXPECT_EQ(clock->now() - start, 2001ms);
}
