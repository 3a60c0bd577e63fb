// The Win32-style interface over handles of simulated adapters.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <future>
#include <thread>
#include <vector>

#include "Dotfield/tests/Support/ThreadBlocking.hpp"
#include "adapterdriver/tests/Support/SimulatedBusFixture.hpp"

namespace adapterdriver::testing {
namespace {

using Simulators::AdapterDescription;
using Simulators::ControlRequest;

constexpr std::uint8_t out = 0x40;

class W32Interface : public SimulatedBusTest {
  protected:
    AD_HANDLE open232R() {
        adapter = bus->plugIn(AdapterDescription::chip232R("FT232R USB UART", "A1"));
        return openByDescription("FT232R USB UART");
    }

    // The requests of one kind, in order.
    std::vector<ControlRequest> requestsOf(std::uint8_t request) const {
        std::vector<ControlRequest> found;
        for (const auto& r : adapter->controlRequests()) {
            if (r.request == request) {
                found.push_back(r);
            }
        }
        return found;
    }

    std::shared_ptr<Simulators::SimulatedAdapter> adapter;
};

TEST_F(W32Interface, CreateFileOpensBySerialNumberOrDescriptionOnly) {
    bus->plugIn(AdapterDescription::chip232R("FT232R USB UART", "A1"));
    char description[] = "FT232R USB UART";
    std::uint32_t location = (1u << 8) | 2u;
    EXPECT_EQ(AD_W32_CreateFile(&location, 0, 0, nullptr, 3, AD_OPEN_BY_LOCATION, nullptr),
              AD_W32_INVALID_HANDLE_VALUE);
    EXPECT_EQ(bus->openHandleCount(), 0u);
    char missing[] = "No such adapter";
    EXPECT_EQ(AD_W32_CreateFile(missing, 0, 0, nullptr, 3, 0x80 | AD_W32_OPEN_BY_DESCRIPTION, nullptr),
              AD_W32_INVALID_HANDLE_VALUE);

    const auto handle =
        AD_W32_CreateFile(description, 0, 0, nullptr, 3, 0x80 | AD_W32_OPEN_BY_DESCRIPTION, nullptr);
    ASSERT_NE(handle, AD_W32_INVALID_HANDLE_VALUE);
    EXPECT_EQ(AD_W32_GetLastError(handle), AD_OK);
    EXPECT_EQ(AD_W32_CloseHandle(handle), 1);
    EXPECT_EQ(AD_W32_CloseHandle(handle), 0);
    EXPECT_EQ(AD_W32_GetLastError(handle), AD_INVALID_HANDLE);
    EXPECT_EQ(AD_W32_SetupComm(handle, 4096, 4096), 0);

    const auto byIndex = OpenHandleByIndex(0);
    ASSERT_NE(byIndex, nullptr);
    EXPECT_EQ(OpenHandleByIndex(0), nullptr); // already open
    EXPECT_EQ(AD_W32_CloseHandle(byIndex), 1);
}

TEST_F(W32Interface, SetCommStateSendsTheLineSettingsInOrder) {
    const auto handle = open232R();
    adapter->clearControlRequests();
    ADDCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    dcb.BaudRate = 9600;
    dcb.ByteSize = 7;
    dcb.Parity = AD_PARITY_EVEN;
    dcb.StopBits = AD_STOP_BITS_2;
    dcb.flags = AD_DCB_OUTX_CTS_FLOW | (AD_RTS_CONTROL_ENABLE << AD_DCB_RTS_CONTROL_SHIFT) |
                (AD_DTR_CONTROL_ENABLE << AD_DCB_DTR_CONTROL_SHIFT);
    dcb.EvtChar = 'E';
    ASSERT_EQ(AD_W32_SetCommState(handle, &dcb), 1);

    const std::vector<ControlRequest> expected{
        {out, 3, 0x4138, 0, 0},                   // 9600 baud
        {out, 4, 7 | (2 << 8) | (2 << 11), 0, 0}, // 7 bits, even parity, 2 stop bits
        {out, 2, 0, 0x0100, 0},                   // RTS/CTS flow control
        {out, 1, 0x0202, 0, 0},                   // which raises RTS
        {out, 1, 0x0202, 0, 0},                   // RTS control changed to enabled
        {out, 1, 0x0101, 0, 0},                   // DTR control changed to enabled
        {out, 6, 0x0100 | 'E', 0, 0},             // event character, enabled
        {out, 7, 0, 0, 0},                        // no error character
    };
    EXPECT_EQ(adapter->controlRequests(), expected);

    ADDCB back{};
    ASSERT_EQ(AD_W32_GetCommState(handle, &back), 1);
    EXPECT_EQ(std::memcmp(&back, &dcb, sizeof(dcb)), 0);

    // The same settings again: the modem lines are not touched for their
    // control fields, only by the flow-control rule.
    adapter->clearControlRequests();
    ASSERT_EQ(AD_W32_SetCommState(handle, &dcb), 1);
    EXPECT_EQ(requestsOf(1), (std::vector<ControlRequest>{{out, 1, 0x0202, 0, 0}}));

    // XON/XOFF carries its characters; lowering DTR control clears DTR.
    adapter->clearControlRequests();
    dcb.flags = AD_DCB_INX | (AD_RTS_CONTROL_ENABLE << AD_DCB_RTS_CONTROL_SHIFT);
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    ASSERT_EQ(AD_W32_SetCommState(handle, &dcb), 1);
    EXPECT_EQ(requestsOf(2), (std::vector<ControlRequest>{{out, 2, 0x1311, 0x0400, 0}}));
    EXPECT_EQ(requestsOf(1), (std::vector<ControlRequest>{{out, 1, 0x0100, 0, 0}}));
}

TEST_F(W32Interface, SetCommStateStopsAtTheFirstFailureAndStillAnswersTrue) {
    const auto handle = open232R();
    adapter->clearControlRequests();
    ADDCB dcb{};
    dcb.BaudRate = 100; // out of reach: nothing is sent
    dcb.ByteSize = 8;
    EXPECT_EQ(AD_W32_SetCommState(handle, &dcb), 1);
    EXPECT_TRUE(adapter->controlRequests().empty());
    EXPECT_EQ(AD_W32_SetCommState(handle, nullptr), 6);
    EXPECT_EQ(AD_W32_GetCommState(handle, nullptr), 6);
}

TEST_F(W32Interface, PurgeCommMapsAbortAndClearFlagsToDirections) {
    const auto handle = open232R();
    adapter->clearControlRequests();
    ASSERT_EQ(AD_W32_PurgeComm(handle, AD_PURGE_TXCLEAR | AD_PURGE_RXCLEAR), 1);
    auto purges = requestsOf(0);
    ASSERT_EQ(purges.size(), 7u);
    EXPECT_TRUE(std::all_of(purges.begin(), purges.begin() + 6, [](const auto& r) { return r.value == 1; }));
    EXPECT_EQ(purges.back().value, 2);

    adapter->clearControlRequests();
    ASSERT_EQ(AD_W32_PurgeComm(handle, AD_PURGE_TXABORT), 1);
    purges = requestsOf(0);
    ASSERT_EQ(purges.size(), 1u);
    EXPECT_EQ(purges[0].value, 2);

    adapter->setControlRequestsFail(true);
    EXPECT_EQ(AD_W32_PurgeComm(handle, AD_PURGE_RXABORT), 0);
    EXPECT_EQ(AD_W32_GetLastError(handle), AD_IO_ERROR);
}

TEST_F(W32Interface, EscapeFunctionsBreaksTimeoutsAndUnsupportedCalls) {
    const auto handle = open232R();
    adapter->clearControlRequests();
    EXPECT_EQ(AD_W32_EscapeCommFunction(handle, AD_SETDTR), 1);
    EXPECT_EQ(AD_W32_EscapeCommFunction(handle, AD_CLRRTS), 1);
    EXPECT_EQ(requestsOf(1), (std::vector<ControlRequest>{{out, 1, 0x0101, 0, 0}, {out, 1, 0x0200, 0, 0}}));
    EXPECT_EQ(AD_W32_SetCommBreak(handle), 1);
    EXPECT_TRUE(adapter->lineSettings(0).breakOn);
    EXPECT_EQ(AD_W32_ClearCommBreak(handle), 1);
    EXPECT_FALSE(adapter->lineSettings(0).breakOn);

    EXPECT_EQ(AD_W32_CancelIo(handle), 0);
    EXPECT_EQ(AD_W32_GetLastError(handle), AD_NOT_SUPPORTED);
    EXPECT_EQ(AD_W32_EscapeCommFunction(handle, 7), 0);
    EXPECT_EQ(AD_W32_GetLastError(handle), AD_NOT_SUPPORTED); // unchanged
    EXPECT_EQ(AD_W32_EscapeCommFunction(handle, AD_CLRBREAK), 1);
    EXPECT_EQ(AD_W32_GetLastError(handle), AD_OK);
    EXPECT_EQ(AD_W32_GetOverlappedResult(handle, nullptr, nullptr, 1), 0);

    ADTIMEOUTS timeouts{5, 6, 700, 8, 900};
    ASSERT_EQ(AD_W32_SetCommTimeouts(handle, &timeouts), 1);
    ADTIMEOUTS back{1, 1, 1, 1, 1};
    ASSERT_EQ(AD_W32_GetCommTimeouts(handle, &back), 1);
    EXPECT_EQ((std::vector<std::uint32_t>{back.ReadIntervalTimeout, back.ReadTotalTimeoutMultiplier,
                                          back.ReadTotalTimeoutConstant, back.WriteTotalTimeoutMultiplier,
                                          back.WriteTotalTimeoutConstant}),
              (std::vector<std::uint32_t>{0, 0, 700, 0, 900}));
    EXPECT_EQ(AD_W32_GetCommTimeouts(handle, nullptr), 6);
    EXPECT_EQ(AD_W32_SetCommTimeouts(handle, nullptr), 6);

    std::uint32_t modem = 0;
    EXPECT_EQ(AD_W32_GetCommModemStatus(handle, &modem), 1);
    EXPECT_EQ(modem & 0x30, 0x30u); // CTS and DSR
}

TEST_F(W32Interface, ReadWriteAndClearCommError) {
    adapter = bus->plugIn(AdapterDescription::chip232R("FT232R USB UART", "A1"));
    adapter->attachPeer(0, std::make_shared<EchoPeer>());
    const auto handle = openByDescription("FT232R USB UART");
    std::uint8_t bytes[4] = {1, 2, 3, 4};
    std::uint32_t written = 0;
    ASSERT_EQ(AD_W32_WriteFile(handle, bytes, 4, &written, nullptr), 1);
    EXPECT_EQ(written, 4u);
    ASSERT_TRUE(waitForQueued(handle, 4));

    std::uint32_t errors = 99;
    ADCOMSTAT comstat{0xFF, 0, 7};
    ASSERT_EQ(AD_W32_ClearCommError(handle, &errors, &comstat), 1);
    EXPECT_EQ(errors, 0u);
    EXPECT_EQ(comstat.flags, 0x80u);
    EXPECT_EQ(comstat.cbInQue, 4u);
    EXPECT_EQ(comstat.cbOutQue, 0u);
    EXPECT_EQ(AD_W32_ClearCommError(handle, nullptr, &comstat), 0);
    EXPECT_EQ(AD_W32_GetLastError(handle), AD_INVALID_PARAMETER);

    std::uint8_t received[4] = {};
    std::uint32_t count = 0;
    ASSERT_EQ(AD_W32_ReadFile(handle, received, 4, &count, nullptr), 1);
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(std::vector<std::uint8_t>(received, received + 4), std::vector<std::uint8_t>(bytes, bytes + 4));
    EXPECT_EQ(AD_W32_ReadFile(handle, received, 4, nullptr, nullptr), 0);
    EXPECT_EQ(AD_W32_GetLastError(handle), AD_INVALID_PARAMETER);
}

TEST_F(W32Interface, WaitCommEventNeedsAMaskAndAPointer) {
    const auto handle = open232R();
    std::uint32_t mask = 0;
    EXPECT_EQ(AD_W32_WaitCommEvent(handle, &mask, nullptr), 0);
    EXPECT_EQ(AD_W32_GetLastError(handle), AD_INVALID_PARAMETER);
    EXPECT_EQ(AD_W32_WaitCommEvent(handle, nullptr, nullptr), 6);
    EXPECT_EQ(AD_W32_WaitCommEvent(reinterpret_cast<AD_HANDLE>(0x42), &mask, nullptr), 0);
}

TEST_F(W32Interface, WaitCommEventReturnsTheEventsOfItsMask) {
    adapter = bus->plugIn(AdapterDescription::chip232R("FT232R USB UART", "A1"));
    adapter->attachPeer(0, std::make_shared<EchoPeer>());
    const auto handle = openByDescription("FT232R USB UART");
    ASSERT_EQ(AD_W32_SetCommMask(handle, AD_EV_RXCHAR), 1);
    auto waiter = std::async(std::launch::async, [handle] {
        std::uint32_t mask = 0xFFFF;
        const auto result = AD_W32_WaitCommEvent(handle, &mask, nullptr);
        return std::make_pair(result, mask);
    });
    std::uint8_t byte = 0x55;
    std::uint32_t written = 0;
    ASSERT_EQ(AD_W32_WriteFile(handle, &byte, 1, &written, nullptr), 1);
    ASSERT_EQ(waiter.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(waiter.get(), std::make_pair(1, static_cast<std::uint32_t>(AD_EV_RXCHAR)));
}

TEST_F(W32Interface, WaitCommEventIsReleasedByANewMask) {
    const auto handle = open232R();
    ASSERT_EQ(AD_W32_SetCommMask(handle, AD_EV_RING), 1);
    std::promise<void> started;
    auto waiter = std::async(std::launch::async, [handle, &started] {
        std::uint32_t mask = 0xFFFF;
        started.set_value();
        const auto result = AD_W32_WaitCommEvent(handle, &mask, nullptr);
        return std::make_pair(result, mask);
    });
    started.get_future().wait();
    // Keep setting the mask until the waiter has been released: a new mask
    // set before the wait began is part of it.
    while (waiter.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) {
        ASSERT_EQ(AD_W32_SetCommMask(handle, AD_EV_RING), 1);
    }
    EXPECT_EQ(waiter.get(), std::make_pair(1, 0u));
}

TEST_F(W32Interface, WaitCommEventIsReleasedByCloseAndAnswersFalse) {
    const auto handle = open232R();
    ASSERT_EQ(AD_W32_SetCommMask(handle, AD_EV_RING), 1);
    int answer = -1;
    Dotfield::Testing::WatchedThread waiter([handle, &answer] {
        std::uint32_t mask = 0xFFFF;
        answer = AD_W32_WaitCommEvent(handle, &mask, nullptr);
    });
    EXPECT_TRUE(waiter.waitUntilBlocked()) << "the wait for an event has begun";
    forget(handle);
    EXPECT_EQ(AD_W32_CloseHandle(handle), 1);
    waiter.join();
    EXPECT_EQ(answer, 0);
}

} // namespace
} // namespace adapterdriver::testing
