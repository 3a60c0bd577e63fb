#include <future>
#include <numeric>

#include "adapterdriver/Receive/ReceiveListener.hpp"

#include "Dotfield/tests/Support/Eventually.hpp"
#include "Dotfield/tests/Support/ThreadBlocking.hpp"
#include "adapterdriver/tests/Support/SimulatedBusFixture.hpp"

namespace adapterdriver::testing {
namespace {

using Simulators::AdapterDescription;
using namespace std::chrono_literals;
using Dotfield::Testing::eventually;
using Dotfield::Testing::WatchedThread;

class Receiving : public SimulatedBusTest {
protected:
    void SetUp() override {
        SimulatedBusTest::SetUp();
        adapter = bus->plugIn(AdapterDescription::chip232R("FT232R USB UART", "A9000001"));
        handle = openByDescription("FT232R USB UART");
        ASSERT_NE(handle, nullptr);
        // The line's fastest rate: the bytes these tests send take their
        // wire time, and hundreds of kilobytes at the power-on 9600 baud
        // would take minutes.
        ASSERT_EQ(AD_SetBaudRate(handle, 3000000), AD_OK);
    }

    void send(const std::vector<std::uint8_t>& bytes) { adapter->port(0).send(bytes); }

    std::vector<std::uint8_t> read(std::uint32_t count, AD_STATUS expected = AD_OK) {
        std::vector<std::uint8_t> buffer(count);
        std::uint32_t returned = 0;
        EXPECT_EQ(AD_Read(handle, buffer.data(), count, &returned), expected);
        buffer.resize(returned);
        return buffer;
    }

    static std::vector<std::uint8_t> sequence(std::size_t count, std::uint8_t first = 0) {
        std::vector<std::uint8_t> bytes(count);
        std::iota(bytes.begin(), bytes.end(), first);
        return bytes;
    }

    // Waits (bounded) until the driver took the given modem status.
    bool waitForModemStatus(std::uint32_t status) const {
        return eventually([&] {
            std::uint32_t modem = 0;
            return AD_GetModemStatus(handle, &modem) == AD_OK && modem == status;
        });
    }

    std::shared_ptr<Simulators::SimulatedAdapter> adapter;
    AD_HANDLE handle = nullptr;
};

TEST_F(Receiving, StatusBytesAreStrippedFromEveryPacket) {
    // 130 bytes in 64-byte packets: 62 + 62 payload bytes, then a packet of
    // status bytes only.
    std::vector<std::uint8_t> transfer;
    for (int packet = 0; packet < 2; ++packet) {
        transfer.push_back(0x31);
        transfer.push_back(0x60);
        const auto payload = sequence(62, static_cast<std::uint8_t>(packet * 62));
        transfer.insert(transfer.end(), payload.begin(), payload.end());
    }
    transfer.push_back(0x31);
    transfer.push_back(0x60);
    ASSERT_EQ(transfer.size(), 130u);
    adapter->injectBulkIn(0, transfer);
    ASSERT_TRUE(waitForQueued(handle, 124));
    EXPECT_EQ(read(124), sequence(124));

    // Bytes a peer sends arrive in order, whatever the packet boundaries.
    const auto bytes = sequence(1000, 7);
    send(bytes);
    ASSERT_TRUE(waitForQueued(handle, 1000));
    EXPECT_EQ(read(1000), bytes);
}

TEST_F(Receiving, StatusOnlyPacketsUpdateTheModemStatus) {
    adapter->setModemStatus(0, 0xB0, 0x60);
    EXPECT_TRUE(waitForModemStatus(0xB0));
    std::uint32_t queued = 1;
    ASSERT_EQ(AD_GetQueueStatus(handle, &queued), AD_OK);
    EXPECT_EQ(queued, 0u);
}

TEST_F(Receiving, EveryChangeOfTheModemStatusIsTaken) {
    // A quiet adapter repeats its status every latency period; those repeats
    // are dropped early, the changes among them never.
    ASSERT_EQ(AD_SetLatencyTimer(handle, 1), AD_OK);
    for (const std::uint32_t status : {0xB0u, 0x30u, 0xF0u, 0x30u, 0x10u}) {
        adapter->setModemStatus(0, static_cast<std::uint8_t>(status), 0x60);
        EXPECT_TRUE(waitForModemStatus(status)) << status;
    }
}

// A quiet adapter repeats its status every latency period. The event thread
// hands such a transfer straight back to the adapter, so neither the
// processor nor the reader (which submits every other transfer) hears of it;
// a change of status still reaches them and raises its event.
TEST_F(Receiving, RepeatedStatusStaysOnTheEventThreadAChangeRaisesItsEvent) {
    ASSERT_EQ(AD_SetLatencyTimer(handle, 1), AD_OK);
    ASSERT_TRUE(waitForModemStatus(0x30)); // the adapter's status at plug-in
    AD_EVENT_HANDLE target;
    pthread_mutex_init(&target.eMutex, nullptr);
    pthread_cond_init(&target.eCondVar, nullptr);
    ASSERT_EQ(AD_SetEventNotification(handle, AD_EVENT_MODEM_STATUS, &target), AD_OK);
    // From here on no ASSERT: the notification must be taken back below.

    // Once the open's own transfers are through, a stretch of 100 status
    // packets goes by with no submission but the callbacks' own. Retried, as
    // a loaded machine may keep a receive thread from its last submission.
    bool quietStretchSeen = false;
    for (int attempt = 0; attempt < 50 && !quietStretchSeen; ++attempt) {
        const auto before = bus->transferCounts();
        eventually([&] { return bus->transferCounts().completed >= before.completed + 100; });
        const auto after = bus->transferCounts();
        quietStretchSeen = after.completed >= before.completed + 100 &&
                           after.submittedElsewhere == before.submittedElsewhere &&
                           after.submittedFromCallbacks >= before.submittedFromCallbacks + 90;
    }
    EXPECT_TRUE(quietStretchSeen);
    std::uint32_t events = 0;
    EXPECT_EQ(AD_GetEventStatus(handle, &events), AD_OK);
    EXPECT_EQ(events, 0u);

    const auto beforeChange = bus->transferCounts();
    pthread_mutex_lock(&target.eMutex);
    adapter->setModemStatus(0, 0xB0, 0x60);
    timespec deadline{};
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += 5;
    EXPECT_EQ(pthread_cond_timedwait(&target.eCondVar, &target.eMutex, &deadline), 0);
    pthread_mutex_unlock(&target.eMutex);
    EXPECT_EQ(AD_GetEventStatus(handle, &events), AD_OK);
    EXPECT_EQ(events, AD_EVENT_MODEM_STATUS);
    EXPECT_TRUE(waitForModemStatus(0xB0));
    // The changed packet went through the processor, and the reader
    // submitted its transfer again.
    EXPECT_TRUE(eventually(
        [&] { return bus->transferCounts().submittedElsewhere > beforeChange.submittedElsewhere; }));

    EXPECT_EQ(AD_SetEventNotification(handle, 0, &target), AD_OK);
    pthread_cond_destroy(&target.eCondVar);
    pthread_mutex_destroy(&target.eMutex);
}

TEST_F(Receiving, AReadTakesWhatCameWhenItsTimeOutEnds) {
    ASSERT_EQ(AD_SetTimeouts(handle, 50, 0), AD_OK);
    send({1, 2, 3, 4});
    ASSERT_TRUE(waitForQueued(handle, 4));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(read(10), std::vector<std::uint8_t>({1, 2, 3, 4}));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);

    // Without a time-out a read waits until all its bytes are there.
    ASSERT_EQ(AD_SetTimeouts(handle, 0, 0), AD_OK);
    std::vector<std::uint8_t> got;
    WatchedThread reader([&] { got = read(6); });
    send({5, 6, 7});
    EXPECT_TRUE(waitForQueued(handle, 3));
    // Half its bytes are there and the read has seen them: it waits on.
    EXPECT_TRUE(reader.waitUntilBlocked());
    send({8, 9, 10});
    reader.join();
    EXPECT_EQ(got, std::vector<std::uint8_t>({5, 6, 7, 8, 9, 10}));

    std::uint32_t returned = 7;
    std::uint8_t buffer[1];
    EXPECT_EQ(AD_Read(handle, buffer, 0, &returned), AD_OK);
    EXPECT_EQ(returned, 0u);
    EXPECT_EQ(AD_Read(handle, nullptr, 1, &returned), AD_INVALID_PARAMETER);
    EXPECT_EQ(AD_Read(handle, buffer, 1, nullptr), AD_INVALID_PARAMETER);
}

// A read with a time-out sleeps until its bytes are there, not until the
// time-out (ten minutes here) runs out.
TEST_F(Receiving, AReadEndsAsSoonAsItsBytesAreThere) {
    ASSERT_EQ(AD_SetTimeouts(handle, 600000, 0), AD_OK);
    auto pending = std::async(std::launch::async, [&] { return read(4); });
    send({1, 2});
    send({3, 4});
    const bool ended = pending.wait_for(60s) == std::future_status::ready;
    EXPECT_TRUE(ended);
    if (!ended) {
        // Closing ends the read, so the test does not wait out the time-out.
        AD_Close(handle);
        forget(handle);
        return;
    }
    EXPECT_EQ(pending.get(), std::vector<std::uint8_t>({1, 2, 3, 4}));
}

TEST_F(Receiving, AReadLargerThanTheRingNeedsATimeOut) {
    std::vector<std::uint8_t> buffer(0x40001);
    std::uint32_t returned = 0;
    EXPECT_EQ(AD_Read(handle, buffer.data(), 0x40001, &returned), AD_INVALID_PARAMETER);
    ASSERT_EQ(AD_SetTimeouts(handle, 10, 0), AD_OK);
    send({42});
    ASSERT_TRUE(waitForQueued(handle, 1));
    EXPECT_EQ(AD_Read(handle, buffer.data(), 0x40001, &returned), AD_OK);
    EXPECT_EQ(returned, 1u);
}

TEST_F(Receiving, QueueStatusIsCappedAtSixtyFourKilobytes) {
    const auto bytes = sequence(0x20000);
    send(bytes);
    ASSERT_TRUE(waitForQueued(handle, 0x20000));
    std::uint32_t queued = 0;
    ASSERT_EQ(AD_GetQueueStatus(handle, &queued), AD_OK);
    EXPECT_EQ(queued, 0x10000u);
    ASSERT_EQ(QueueStatusUncapped(handle, &queued), AD_OK);
    EXPECT_EQ(queued, 0x20000u);
    EXPECT_EQ(AD_GetQueueStatus(handle, nullptr), AD_INVALID_PARAMETER);

    // Reads wrap round the ring's end with the bytes in order.
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(read(0x20000), bytes);
        send(bytes);
        ASSERT_TRUE(waitForQueued(handle, 0x20000));
    }
}

TEST_F(Receiving, AFullRingDropsWholePacketsAndKeepsWhatItHolds) {
    send(sequence(0x40000 + 1000));
    ASSERT_TRUE(waitForQueued(handle, 0x40000 - 62));
    // Every byte has left the adapter, and packets after the last of them
    // have come through: what the full ring could not take is gone.
    ASSERT_TRUE(eventually([&] { return adapter->bytesTowardsHost(0) == 0; }));
    const auto carried = bus->transferCounts().completed;
    ASSERT_TRUE(eventually([&] { return bus->transferCounts().completed >= carried + 2; }));
    std::uint32_t queued = 0;
    ASSERT_EQ(QueueStatusUncapped(handle, &queued), AD_OK);
    EXPECT_LE(queued, 0x40000u);
    const auto held = read(queued);
    EXPECT_EQ(held, sequence(queued));
}

TEST_F(Receiving, PurgeEmptiesTheRing) {
    send({1, 2, 3});
    ASSERT_TRUE(waitForQueued(handle, 3));
    ASSERT_EQ(AD_Purge(handle, AD_PURGE_RX), AD_OK);
    std::uint32_t queued = 1;
    ASSERT_EQ(AD_GetQueueStatus(handle, &queued), AD_OK);
    EXPECT_EQ(queued, 0u);
    send({4});
    ASSERT_TRUE(waitForQueued(handle, 1));
    EXPECT_EQ(read(1), std::vector<std::uint8_t>({4}));
}

TEST_F(Receiving, BytesAfterAPurgeAreKeptWhicheverSlotBringsThem) {
    // Every slot has carried bytes before the purge; what they bring after
    // it is new and must not be dropped.
    ASSERT_EQ(AD_SetLatencyTimer(handle, 1), AD_OK);
    const auto roundTrip = [&](std::uint8_t byte) {
        send({byte});
        ASSERT_TRUE(waitForQueued(handle, 1)) << "byte " << int(byte);
        EXPECT_EQ(read(1), std::vector<std::uint8_t>({byte}));
    };
    for (std::uint8_t byte = 0; byte < 8; ++byte) {
        roundTrip(byte);
    }
    ASSERT_EQ(AD_Purge(handle, AD_PURGE_RX), AD_OK);
    for (std::uint8_t byte = 8; byte < 16; ++byte) {
        roundTrip(byte);
    }
}

TEST_F(Receiving, TheListenerHearsOfBytesTheVanishedDeviceAndTheClose) {
    std::mutex mutex;
    std::condition_variable heard;
    int calls = 0;
    const auto callsAfter = [&](auto&& action) {
        std::unique_lock guard(mutex);
        const int before = calls;
        guard.unlock();
        action();
        guard.lock();
        heard.wait_for(guard, 5s, [&] { return calls > before; });
        return calls - before;
    };
    EXPECT_EQ(setReceiveListener(nullptr, [] {}), AD_INVALID_HANDLE);
    ASSERT_EQ(setReceiveListener(handle,
                                 [&] {
                                     std::lock_guard guard(mutex);
                                     ++calls;
                                     heard.notify_all();
                                 }),
              AD_OK);
    EXPECT_GE(callsAfter([&] { send({1, 2, 3}); }), 1);
    EXPECT_GE(callsAfter([&] { adapter->unplug(); }), 1);
    EXPECT_GE(callsAfter([&] {
                  AD_Close(handle);
                  forget(handle);
              }),
              1);
}

TEST_F(Receiving, ReceptionGoesOnAfterStalledTransfers) {
    for (int i = 0; i < 6; ++i) {
        adapter->injectStall(0);
    }
    for (std::uint8_t round = 0; round < 10; ++round) {
        send({round});
        ASSERT_TRUE(waitForQueued(handle, 1)) << "round " << int(round);
        EXPECT_EQ(read(1), std::vector<std::uint8_t>({round}));
    }
}

TEST_F(Receiving, ReceptionGoesOnInOrderAfterFailedSubmissions) {
    // Bytes spread over many transfers keep their order: a slot whose
    // submission failed must not fall behind the others.
    const auto bytes = sequence(20000, 3);
    for (const int failures : {1, 8}) {
        SCOPED_TRACE(failures);
        adapter->failNextSubmissions(failures);
        // Status packets complete and their resubmissions fail.
        ASSERT_TRUE(eventually([&] { return adapter->submissionFailuresLeft() == 0; }));
        send(bytes);
        ASSERT_TRUE(waitForQueued(handle, 20000));
        EXPECT_EQ(read(20000), bytes);
    }
}

TEST_F(Receiving, UnpluggingEndsAWaitingReadWithAnIOError) {
    std::vector<std::uint8_t> got{0};
    WatchedThread reader([&] { got = read(10, AD_IO_ERROR); });
    EXPECT_TRUE(reader.waitUntilBlocked()) << "the read waits";
    adapter->unplug();
    reader.join();
    EXPECT_TRUE(got.empty());
    std::uint32_t queued = 0;
    EXPECT_EQ(AD_GetQueueStatus(handle, &queued), AD_IO_ERROR);
    std::uint32_t rx = 0;
    std::uint32_t tx = 0;
    std::uint32_t events = 0;
    EXPECT_EQ(AD_GetStatus(handle, &rx, &tx, &events), AD_IO_ERROR);
}

TEST_F(Receiving, ClosingEndsAWaitingRead) {
    AD_STATUS status = AD_OK;
    WatchedThread reader([&] {
        std::uint8_t buffer[10];
        std::uint32_t returned = 0;
        status = AD_Read(handle, buffer, 10, &returned);
    });
    EXPECT_TRUE(reader.waitUntilBlocked()) << "the read waits";
    ASSERT_EQ(AD_Close(handle), AD_OK);
    forget(handle);
    reader.join();
    // AD_IO_ERROR for the waiting read; one that was held on its way to the
    // handle when the close came finds it invalid.
    EXPECT_TRUE(status == AD_IO_ERROR || status == AD_INVALID_HANDLE) << status;
    EXPECT_EQ(bus->openHandleCount(), 0u);
}

TEST_F(Receiving, EventsSignalTheTargetAndAreReadAndClearedTogether) {
    AD_EVENT_HANDLE target;
    pthread_mutex_init(&target.eMutex, nullptr);
    pthread_cond_init(&target.eCondVar, nullptr);
    // The target's mutex is held while the notification is set up and while
    // the byte arrives; the library signals under that mutex, so the wait
    // below cannot miss it.
    pthread_mutex_lock(&target.eMutex);
    ASSERT_EQ(AD_SetEventNotification(handle, AD_EVENT_RXCHAR | AD_EVENT_MODEM_STATUS, &target), AD_OK);
    send({1});
    timespec deadline{};
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += 5;
    EXPECT_EQ(pthread_cond_timedwait(&target.eCondVar, &target.eMutex, &deadline), 0);
    pthread_mutex_unlock(&target.eMutex);

    // The modem status changes too, but the word already holds RXCHAR.
    adapter->setModemStatus(0, 0x80, 0x60);
    ASSERT_TRUE(waitForModemStatus(0x80));
    std::uint32_t events = 0;
    ASSERT_EQ(AD_GetEventStatus(handle, &events), AD_OK);
    EXPECT_EQ(events, AD_EVENT_RXCHAR);
    ASSERT_EQ(AD_GetEventStatus(handle, &events), AD_OK);
    EXPECT_EQ(events, 0u);
    EXPECT_EQ(AD_SetEventNotification(handle, 1, nullptr), AD_INVALID_PARAMETER);
    ASSERT_EQ(AD_SetEventNotification(handle, 0, &target), AD_OK);
    pthread_cond_destroy(&target.eCondVar);
    pthread_mutex_destroy(&target.eMutex);
}

} // namespace
} // namespace adapterdriver::testing
