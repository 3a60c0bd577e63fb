// The simulated bus on its own, through the USB seam: packet framing of
// bulk-in transfers and the adapter's own reading of baud-rate requests.

#include <atomic>

#include <gtest/gtest.h>

#include "simulators/usb/SimulatedUSBBus.hpp"

namespace Simulators {
namespace {

using namespace std::chrono_literals;

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

    SimulatedUSBBus bus;
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
