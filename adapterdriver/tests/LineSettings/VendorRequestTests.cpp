#include <functional>

#include "adapterdriver/tests/Support/SimulatedBusFixture.hpp"

namespace adapterdriver::testing {
namespace {

using Simulators::AdapterDescription;
using Simulators::ControlRequest;

constexpr std::uint8_t out = 0x40;
constexpr std::uint8_t in = 0xC0;

struct RequestCase {
    const char* name;
    std::function<AD_STATUS(AD_HANDLE)> call;
    std::vector<ControlRequest> expected;
};

class LineSettingRequests : public SimulatedBusTest {
protected:
    // Opens interface B of a 2232C (port index 2) and a 232R (port index 0).
    void SetUp() override {
        SimulatedBusTest::SetUp();
        dual = bus->plugIn(AdapterDescription::chip2232C("Dual RS232", "FT1234"));
        single = bus->plugIn(AdapterDescription::chip232R("FT232R USB UART", "A9000001"));
        dualB = openByDescription("Dual RS232 B");
        single232R = openByDescription("FT232R USB UART");
        dual->clearControlRequests();
        single->clearControlRequests();
    }

    std::shared_ptr<Simulators::SimulatedAdapter> dual;
    std::shared_ptr<Simulators::SimulatedAdapter> single;
    AD_HANDLE dualB = nullptr;
    AD_HANDLE single232R = nullptr;
};

TEST_F(LineSettingRequests, EachCallSendsItsVendorRequest) {
    const std::vector<RequestCase> cases = {
        {"baud 9600", [](AD_HANDLE h) { return AD_SetBaudRate(h, 9600); }, {{out, 3, 0x4138, 0x0002, 0}}},
        {"divisor", [](AD_HANDLE h) { return AD_SetDivisor(h, 0x1234); }, {{out, 3, 0x1234, 0x0002, 0}}},
        {"8N1",
         [](AD_HANDLE h) { return AD_SetDataCharacteristics(h, AD_BITS_8, AD_STOP_BITS_1, AD_PARITY_NONE); },
         {{out, 4, 0x0008, 2, 0}}},
        {"7E2",
         [](AD_HANDLE h) { return AD_SetDataCharacteristics(h, AD_BITS_7, AD_STOP_BITS_2, AD_PARITY_EVEN); },
         {{out, 4, 0x1207, 2, 0}}},
        {"break on reuses the word", [](AD_HANDLE h) { return AD_SetBreakOn(h); }, {{out, 4, 0x5207, 2, 0}}},
        {"break off", [](AD_HANDLE h) { return AD_SetBreakOff(h); }, {{out, 4, 0x1207, 2, 0}}},
        {"no flow control",
         [](AD_HANDLE h) { return AD_SetFlowControl(h, AD_FLOW_NONE, 0x11, 0x13); },
         {{out, 2, 0, 0x0002, 0}}},
        {"XON/XOFF",
         [](AD_HANDLE h) { return AD_SetFlowControl(h, AD_FLOW_XON_XOFF, 0x11, 0x13); },
         {{out, 2, 0x1311, 0x0402, 0}}},
        {"RTS/CTS raises RTS",
         [](AD_HANDLE h) { return AD_SetFlowControl(h, AD_FLOW_RTS_CTS, 0, 0); },
         {{out, 2, 0, 0x0102, 0}, {out, 1, 0x0202, 2, 0}}},
        {"DTR/DSR raises DTR",
         [](AD_HANDLE h) { return AD_SetFlowControl(h, AD_FLOW_DTR_DSR, 0, 0); },
         {{out, 2, 0, 0x0202, 0}, {out, 1, 0x0101, 2, 0}}},
        {"DTR on", [](AD_HANDLE h) { return AD_SetDtr(h); }, {{out, 1, 0x0101, 2, 0}}},
        {"DTR off", [](AD_HANDLE h) { return AD_ClrDtr(h); }, {{out, 1, 0x0100, 2, 0}}},
        {"RTS on", [](AD_HANDLE h) { return AD_SetRts(h); }, {{out, 1, 0x0202, 2, 0}}},
        {"RTS off", [](AD_HANDLE h) { return AD_ClrRts(h); }, {{out, 1, 0x0200, 2, 0}}},
        {"characters",
         [](AD_HANDLE h) { return AD_SetChars(h, 0x0D, 1, 0x3F, 0); },
         {{out, 6, 0x010D, 2, 0}, {out, 7, 0x003F, 2, 0}}},
        {"latency", [](AD_HANDLE h) { return AD_SetLatencyTimer(h, 2); }, {{out, 9, 2, 2, 0}}},
        {"get latency",
         [](AD_HANDLE h) {
             std::uint8_t latency = 0;
             const AD_STATUS s = AD_GetLatencyTimer(h, &latency);
             return s == AD_OK && latency == 2 ? AD_OK : AD_OTHER_ERROR;
         },
         {{in, 10, 0, 2, 1}}},
        {"bit mode", [](AD_HANDLE h) { return AD_SetBitMode(h, 0xF0, 0x01); }, {{out, 11, 0x01F0, 2, 0}}},
        {"get bit mode",
         [](AD_HANDLE h) {
             std::uint8_t pins = 0;
             return AD_GetBitMode(h, &pins);
         },
         {{in, 12, 0, 2, 1}}},
        {"reset",
         [](AD_HANDLE h) { return AD_ResetDevice(h); },
         {{out, 0, 0, 0, 0},
          {out, 0, 1, 2, 0},
          {out, 0, 1, 2, 0},
          {out, 0, 1, 2, 0},
          {out, 0, 1, 2, 0},
          {out, 0, 1, 2, 0},
          {out, 0, 1, 2, 0},
          {out, 0, 2, 2, 0}}},
        {"purge both",
         [](AD_HANDLE h) { return AD_Purge(h, AD_PURGE_RX | AD_PURGE_TX); },
         {{out, 0, 1, 2, 0},
          {out, 0, 1, 2, 0},
          {out, 0, 1, 2, 0},
          {out, 0, 1, 2, 0},
          {out, 0, 1, 2, 0},
          {out, 0, 1, 2, 0},
          {out, 0, 2, 2, 0}}},
        {"purge transmit", [](AD_HANDLE h) { return AD_Purge(h, AD_PURGE_TX); }, {{out, 0, 2, 2, 0}}},
        {"time-outs send nothing", [](AD_HANDLE h) { return AD_SetTimeouts(h, 1000, 1000); }, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dual->clearControlRequests();
        EXPECT_EQ(c.call(dualB), AD_OK);
        EXPECT_EQ(dual->controlRequests(), c.expected);
    }
}

TEST_F(LineSettingRequests, BaudRateIndexFollowsTheChip) {
    ASSERT_EQ(AD_SetBaudRate(single232R, 250000), AD_OK);
    ASSERT_EQ(AD_SetBaudRate(single232R, 184), AD_OK);
    const std::vector<ControlRequest> expected = {{out, 3, 0x000C, 0x0000, 0}, {out, 3, 0x3FB0, 0x0001, 0}};
    EXPECT_EQ(single->controlRequests(), expected);

    single->clearControlRequests();
    EXPECT_EQ(AD_SetBaudRate(single232R, 183), 0xFFFFFFFFu);
    EXPECT_TRUE(single->controlRequests().empty());
}

TEST_F(LineSettingRequests, ThePeerHearsTheLineSettingsItsAdapterWasGiven) {
    auto peer = std::make_shared<RecordingPeer>();
    single->attachPeer(0, peer);
    ASSERT_EQ(AD_SetBaudRate(single232R, 115200), AD_OK);
    ASSERT_EQ(AD_SetDataCharacteristics(single232R, AD_BITS_7, AD_STOP_BITS_2, AD_PARITY_ODD), AD_OK);
    const auto settings = single->lineSettings(0);
    EXPECT_TRUE(settings.baudNear(115200));
    EXPECT_FALSE(settings.baudNear(9600));
    EXPECT_EQ(settings.dataBits, 7);
    EXPECT_EQ(settings.parity, Simulators::Parity::odd);
    EXPECT_EQ(settings.stopBits, Simulators::StopBits::two);
    ASSERT_EQ(peer->settingsSeen().size(), 2u);
    EXPECT_EQ(peer->settingsSeen().back(), settings);

    // The 12 MHz clock of a high-speed chip, decoded by the adapter itself.
    auto fast = bus->plugIn(AdapterDescription::chip232H("Single RS232-HS", "FT5555"));
    AD_HANDLE fastHandle = openByDescription("Single RS232-HS");
    for (const std::uint32_t rate : {250000u, 2000000u, 3000000u, 12000000u, 1200u, 600u}) {
        ASSERT_EQ(AD_SetBaudRate(fastHandle, rate), AD_OK) << rate;
        EXPECT_TRUE(fast->lineSettings(0).baudNear(rate))
            << rate << " ran at " << fast->lineSettings(0).baudRate;
    }
}

TEST_F(LineSettingRequests, FeaturesOfLaterChipsAreRefusedOnAMChips) {
    auto am = bus->plugIn(AdapterDescription::chipAM("USB Serial", "AM000001"));
    AD_HANDLE handle = openByDescription("USB Serial");
    ASSERT_NE(handle, nullptr);
    am->clearControlRequests();
    std::uint8_t value = 0;
    EXPECT_EQ(AD_SetLatencyTimer(handle, 1), AD_NOT_SUPPORTED);
    EXPECT_EQ(AD_GetLatencyTimer(handle, &value), AD_NOT_SUPPORTED);
    EXPECT_EQ(AD_SetBitMode(handle, 0, 0), AD_NOT_SUPPORTED);
    EXPECT_EQ(AD_GetBitMode(handle, &value), AD_NOT_SUPPORTED);
    EXPECT_TRUE(am->controlRequests().empty());
    EXPECT_EQ(AD_GetLatencyTimer(handle, nullptr), AD_INVALID_PARAMETER);
}

TEST_F(LineSettingRequests, FailedRequestsReportIOErrors) {
    single->setControlRequestsFail(true);
    EXPECT_EQ(AD_SetBaudRate(single232R, 9600), AD_IO_ERROR);
    EXPECT_EQ(AD_SetLatencyTimer(single232R, 1), AD_IO_ERROR);
    EXPECT_EQ(AD_ResetDevice(single232R), AD_IO_ERROR);
    EXPECT_EQ(AD_SetDeadmanTimeout(single232R, 0), AD_INVALID_PARAMETER);
    single->setControlRequestsFail(false);
}

} // namespace
} // namespace adapterdriver::testing
