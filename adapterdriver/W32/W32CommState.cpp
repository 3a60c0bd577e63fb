// AD_W32_GetCommState and AD_W32_SetCommState: the requested line settings,
// and applying them through the line-setting functions.

#include <cstring>

#include "adapterdriver/W32/W32Handle.hpp"

using namespace adapterdriver;

namespace {

static_assert(sizeof(ADDCB) == 28);

ADDCB settingsFrom(const std::array<std::uint8_t, 28>& bytes) {
    ADDCB dcb;
    std::memcpy(&dcb, bytes.data(), sizeof(dcb));
    return dcb;
}

std::uint32_t rtsControl(const ADDCB& dcb) {
    return (dcb.flags & AD_DCB_RTS_CONTROL_MASK) >> AD_DCB_RTS_CONTROL_SHIFT;
}

std::uint32_t dtrControl(const ADDCB& dcb) {
    return (dcb.flags & AD_DCB_DTR_CONTROL_MASK) >> AD_DCB_DTR_CONTROL_SHIFT;
}

std::uint16_t flowMode(const ADDCB& dcb) {
    if ((dcb.flags & AD_DCB_OUTX_CTS_FLOW) != 0) {
        return AD_FLOW_RTS_CTS;
    }
    if ((dcb.flags & AD_DCB_OUTX_DSR_FLOW) != 0) {
        return AD_FLOW_DTR_DSR;
    }
    if ((dcb.flags & (AD_DCB_OUTX | AD_DCB_INX)) != 0) {
        return AD_FLOW_XON_XOFF;
    }
    return AD_FLOW_NONE;
}

// Applies the requested settings against the current ones; stops at the
// first failing step and reports it.
AD_STATUS applySettings(AD_HANDLE handle, const ADDCB& requested, const ADDCB& current) {
    if (const auto status = AD_SetBaudRate(handle, requested.BaudRate); status != AD_OK) {
        return status;
    }
    if (const auto status =
            AD_SetDataCharacteristics(handle, requested.ByteSize, requested.StopBits, requested.Parity);
        status != AD_OK) {
        return status;
    }
    // Sends the flow mode, then raises RTS for RTS/CTS and DTR for DTR/DSR.
    if (const auto status =
            AD_SetFlowControl(handle, flowMode(requested), static_cast<std::uint8_t>(requested.XonChar),
                              static_cast<std::uint8_t>(requested.XoffChar));
        status != AD_OK) {
        return status;
    }
    if (rtsControl(requested) != rtsControl(current)) {
        const auto status = rtsControl(requested) != 0 ? AD_SetRts(handle) : AD_ClrRts(handle);
        if (status != AD_OK) {
            return status;
        }
    }
    if (dtrControl(requested) != dtrControl(current)) {
        const auto status = dtrControl(requested) != 0 ? AD_SetDtr(handle) : AD_ClrDtr(handle);
        if (status != AD_OK) {
            return status;
        }
    }
    const auto eventChar = static_cast<std::uint8_t>(requested.EvtChar);
    const auto errorChar = static_cast<std::uint8_t>(requested.ErrorChar);
    return AD_SetChars(handle, eventChar, eventChar != 0 ? 1 : 0, errorChar, errorChar != 0 ? 1 : 0);
}

} // namespace

extern "C" {

AD_W32_BOOL AD_W32_GetCommState(AD_HANDLE handle, ADDCB* dcb) {
    return withW32Record(handle, [&](DeviceExtension& record) {
        if (dcb == nullptr) {
            return w32MissingPointer;
        }
        std::lock_guard guard(record.win32Mutex);
        *dcb = settingsFrom(record.win32RequestedSettings);
        return w32True;
    });
}

AD_W32_BOOL AD_W32_SetCommState(AD_HANDLE handle, ADDCB* dcb) {
    return withW32Record(handle, [&](DeviceExtension& record) {
        if (dcb == nullptr) {
            return w32MissingPointer;
        }
        const ADDCB requested = *dcb;
        ADDCB current;
        {
            std::lock_guard guard(record.win32Mutex);
            std::memcpy(record.win32RequestedSettings.data(), &requested, sizeof(requested));
            current = settingsFrom(record.win32CurrentSettings);
        }
        applySettings(handle, requested, current);
        {
            std::lock_guard guard(record.win32Mutex);
            std::memcpy(record.win32CurrentSettings.data(), &requested, sizeof(requested));
        }
        return w32True;
    });
}

} // extern "C"
