#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialCommunication.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/tests/Instrument/SerialLink/SimulatedInstrumentFixture.hpp"
#include "Dotfield/tests/Support/ThreadBlocking.hpp"

using namespace Dotfield;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

using SerialLinkConcurrencyTest = SimulatedInstrumentFixture;

// Work on the port's queue that starts an exchange runs it at once (waiting
// for the queue it occupies would never end); an exchange from another thread
// waits until that work is done.
TEST_F(SerialLinkConcurrencyTest, ExchangesFromInsideThePortsQueueRunAtOnceOthersWait) {
    const auto p = properties(SerialPortType::electronics);
    const auto port = track(openSerialPort(p.portName, p.baudRate, p.evenParity, shortTiming()));

    std::atomic<bool> insideStarted{false};
    std::atomic<bool> insideFinished{false};
    std::atomic<bool> outsideSawInsideFinished{false};
    Dotfield::Testing::WatchedThread outside([&] {
        EXPECT_TRUE(Dotfield::Testing::eventually([&] { return insideStarted.load(); }));
        genericSerialCommunication(Bytes{3}, 1, *port, AD_Write);
        outsideSawInsideFinished = insideFinished.load();
    });
    port->serialPortCommunicationQueue().async([&] {
        insideStarted = true;
        // Once the other thread waits, its exchange has had its chance to go first.
        EXPECT_TRUE(outside.waitUntilBlocked());
        genericSerialCommunication(Bytes{1}, 1, *port, AD_Write);
        genericSerialCommunication(Bytes{2}, 1, *port, AD_Write);
        insideFinished = true;
    });
    outside.join();

    EXPECT_TRUE(outsideSawInsideFinished);
    EXPECT_EQ(electronics->bytesFromHost(), (Bytes{1, 2, 3}));
}
