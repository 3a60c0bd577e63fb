// The simulated bus on its own, through the USB seam: packet framing of
// bulk-in transfers, the time bytes take on the wire and in the adapter, and
// the adapter's own reading of baud-rate requests.

#include <array>
#include <atomic>
#include <span>

#include <gtest/gtest.h>

#include "simulators/usb/SimulatedUSBBus.hpp"

namespace Simulators {
namespace {

using namespace std::chrono_literals;

// A line clock that moves only when told: the bus moves it to the time bytes
// arrive, the test moves it past them.
class SteppedLineClock final : public LineClock {
  public:
    std::chrono::nanoseconds now() const override { return std::chrono::nanoseconds(elapsed_.load()); }
    std::chrono::nanoseconds realTimeUntil(std::chrono::nanoseconds due) override {
        auto elapsed = elapsed_.load();
        while (elapsed < due.count() && !elapsed_.compare_exchange_weak(elapsed, due.count())) {
        }
        return std::chrono::nanoseconds(0);
    }
    void advance(std::chrono::nanoseconds step) { elapsed_ += step.count(); }

  private:
    std::atomic<std::chrono::nanoseconds::rep> elapsed_{0};
};

// Answers every byte with the same byte.
class EchoPeer final : public AdapterPeer {
  public:
    void receive(std::span<const std::uint8_t> bytes, SimulatedSerialPort& port) override { port.send(bytes); }
};

// 8N1 at the adapter's power-on 9600 baud: 10 bits a byte.
constexpr std::chrono::nanoseconds byteAt9600{1041667};

struct CompletedTransfer {
    static void callback(adapterdriver::USBTransfer& transfer) {
        static_cast<std::atomic<bool>*>(transfer.userData)->store(true);
    }
};

class BulkIn : public testing::Test {
protected:
    void SetUp() override {
        adapter = bus.plugIn(AdapterDescription::chip232R("FT232R USB UART", "A9000001"));
        std::vector<std::shared_ptr<adapterdriver::USBDevice>> devices;
        ASSERT_EQ(bus.getDeviceList(devices), 1);
        ASSERT_EQ(bus.open(*devices.front(), handle), LIBUSB_SUCCESS);
        ASSERT_EQ(bus.claimInterface(*handle, 0), LIBUSB_SUCCESS);
        transfer = bus.allocTransfer();
        transfer->deviceHandle = handle.get();
        transfer->endpoint = 0x81;
        transfer->buffer = buffer.data();
        transfer->length = static_cast<int>(buffer.size());
        transfer->callback = &CompletedTransfer::callback;
        transfer->userData = &done;
    }
    void TearDown() override { bus.close(std::move(handle)); }

    // Receives past the status-only packets of an adapter with nothing in yet.
    std::vector<std::uint8_t> receiveBytes() {
        for (int i = 0; i < 10; ++i) {
            auto content = receive();
            if (content.size() > 2) {
                return content;
            }
        }
        return {};
    }

    // Submits the transfer and handles events until it completed.
    std::vector<std::uint8_t> receive() {
        done = false;
        EXPECT_EQ(bus.submitTransfer(*transfer), LIBUSB_SUCCESS);
        for (int i = 0; i < 50 && !done; ++i) {
            bus.handleEventsTimeout(100ms);
        }
        EXPECT_TRUE(done);
        return {buffer.begin(), buffer.begin() + transfer->actualLength};
    }

    std::shared_ptr<SteppedLineClock> clock = std::make_shared<SteppedLineClock>();
    SimulatedUSBBus bus{clock};
    std::shared_ptr<SimulatedAdapter> adapter;
    std::unique_ptr<adapterdriver::USBDeviceHandle> handle;
    std::unique_ptr<adapterdriver::USBTransfer> transfer;
    std::array<unsigned char, 4096> buffer{};
    std::atomic<bool> done{false};
};

TEST_F(BulkIn, EveryPacketStartsWithTheStatusBytes) {
    adapter->setModemStatus(0, 0x30, 0x60);
    std::vector<std::uint8_t> bytes(130);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i);
    }
    adapter->port(0).send(bytes);
    clock->advance(std::chrono::seconds(1)); // every byte has crossed the line
    const auto content = receive();
    // 62 + 62 + 6 payload bytes in packets of at most 64.
    ASSERT_EQ(content.size(), 64u + 64u + 8u);
    for (std::size_t packet : {0u, 64u, 128u}) {
        EXPECT_EQ(content[packet], 0x31) << packet;
        EXPECT_EQ(content[packet + 1], 0x60) << packet;
    }
    EXPECT_EQ(content[2], 0);
    EXPECT_EQ(content[66], 62);
    EXPECT_EQ(content.back(), 129);
    EXPECT_EQ(transfer->status, LIBUSB_TRANSFER_COMPLETED);
}

TEST_F(BulkIn, AnIdleAdapterSendsStatusOnlyPacketsUntilItIsUnplugged) {
    EXPECT_EQ(receive(), std::vector<std::uint8_t>({0x31, 0x60}));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(receive(), std::vector<std::uint8_t>({0x31, 0x60}));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 10ms); // the default latency is 16 ms

    done = false;
    ASSERT_EQ(bus.submitTransfer(*transfer), LIBUSB_SUCCESS);
    adapter->unplug();
    bus.handleEventsTimeout(100ms);
    EXPECT_TRUE(done);
    EXPECT_EQ(transfer->status, LIBUSB_TRANSFER_NO_DEVICE);
    EXPECT_EQ(transfer->actualLength, 0);
    EXPECT_EQ(bus.submitTransfer(*transfer), LIBUSB_ERROR_NO_DEVICE);
}

TEST_F(BulkIn, ACancelledTransferCompletesAsCancelled) {
    adapter->setModemStatus(0, 0x30, 0x60);
    // Latency 255 ms: no status packet falls due while the test runs.
    unsigned char none = 0;
    ASSERT_EQ(bus.controlTransfer(*handle, 0x40, 9, 255, 0, &none, 0, 1000), 0);
    receive(); // the first status packet goes out at once
    done = false;
    ASSERT_EQ(bus.submitTransfer(*transfer), LIBUSB_SUCCESS);
    ASSERT_EQ(bus.cancelTransfer(*transfer), LIBUSB_SUCCESS);
    bus.handleEventsTimeout(100ms);
    EXPECT_TRUE(done);
    EXPECT_EQ(transfer->status, LIBUSB_TRANSFER_CANCELLED);
    EXPECT_EQ(bus.cancelTransfer(*transfer), LIBUSB_ERROR_NOT_FOUND);
}

TEST_F(BulkIn, BytesReachTheHostAfterTheirWireTimeAndTheAdaptersLatencyTick) {
    struct Case {
        const char* name;
        std::uint16_t latencyMilliseconds;
        std::size_t bytes;
        std::size_t received;        // payload of the first transfer
        std::chrono::nanoseconds at; // the line time it completes at, from the send
    };
    // A short reply waits for the latency timer's tick (counted from the last
    // packet); a whole packet's payload goes as soon as its last byte is in.
    const Case cases[] = {
        {"short reply", 16, 6, 6, std::chrono::milliseconds(16)},
        {"whole packet", 255, 70, 62, byteAt9600 * 62},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        unsigned char none = 0;
        ASSERT_EQ(bus.controlTransfer(*handle, 0x40, 9, c.latencyMilliseconds, 0, &none, 0, 1000), 0);
        const std::chrono::nanoseconds sent = clock->now();
        adapter->port(0).send(std::vector<std::uint8_t>(c.bytes, 0x55));
        const auto content = receiveBytes();
        EXPECT_EQ(content.size(), c.received + 2);
        EXPECT_EQ(clock->now() - sent, c.at);
    }
}

TEST_F(BulkIn, AWriteReachesThePeerOnceItsBytesHaveCrossedTheLine) {
    adapter->attachPeer(0, std::make_shared<EchoPeer>());
    int transferred = 0;
    std::array<unsigned char, 10> bytes{};
    ASSERT_EQ(bus.bulkTransfer(*handle, 0x02, bytes.data(), 10, &transferred, 1000), LIBUSB_SUCCESS);
    EXPECT_EQ(clock->now(), byteAt9600 * 10);
    // The echo follows on the line back: what is in by the adapter's next
    // latency tick goes then, five of the ten bytes.
    const auto content = receiveBytes();
    EXPECT_EQ(content.size(), 2u + 5u);
    EXPECT_EQ(clock->now(), std::chrono::milliseconds(16));
}

TEST(SimulatedBaudRate, TheAdapterReadsDivisorsItself) {
    struct Case {
        std::uint16_t value;
        std::uint16_t index;
        bool twelve;
        bool carriesPort;
        std::uint32_t rate;
    };
    const Case cases[] = {
        {0x4138, 0x0000, false, false, 9600},    {0xC04E, 0x0000, false, false, 38400},
        {0x001A, 0x0000, false, false, 115385},  {0x0000, 0x0000, false, false, 3000000},
        {0x4001, 0x0000, false, false, 2000000}, {0x0030, 0x0201, true, true, 250000},
        {0x0000, 0x0201, true, true, 12000000},  {0x0001, 0x0201, true, true, 8000000},
        {0x3FB0, 0x0001, false, false, 184},     {0x4138, 0x0002, true, true, 9600},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decodeBaudRate(c.value, c.index, c.twelve, c.carriesPort, true), c.rate)
            << std::hex << c.value << " " << c.index;
    }
}

} // namespace
} // namespace Simulators
