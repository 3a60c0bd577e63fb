// AD_W32_ break, error, escape, modem status, time-out, purge, set-up and
// last-error calls.

#include "adapterdriver/W32/W32Handle.hpp"

using namespace adapterdriver;

namespace {

// The hold and state bits at the head of ADCOMSTAT.
constexpr std::uint32_t comstatStateBits = 0x7F;

} // namespace

extern "C" {

AD_W32_BOOL AD_W32_ClearCommBreak(AD_HANDLE handle) {
    return withW32Record(
        handle, [&](DeviceExtension& record) { return reportStatus(record, AD_SetBreakOff(handle)); });
}

AD_W32_BOOL AD_W32_SetCommBreak(AD_HANDLE handle) {
    return withW32Record(
        handle, [&](DeviceExtension& record) { return reportStatus(record, AD_SetBreakOn(handle)); });
}

AD_W32_BOOL AD_W32_ClearCommError(AD_HANDLE handle, uint32_t* errors, ADCOMSTAT* comstat) {
    return withW32Record(handle, [&](DeviceExtension& record) {
        if (errors == nullptr || comstat == nullptr) {
            return reportStatus(record, AD_INVALID_PARAMETER);
        }
        *errors = record.lineErrors.exchange(0);
        comstat->flags &= ~comstatStateBits;
        std::uint32_t held = 0;
        QueueStatusUncapped(handle, &held);
        comstat->cbInQue = held;
        comstat->cbOutQue = 0;
        record.eventStatus = 0;
        return w32True;
    });
}

AD_W32_BOOL AD_W32_EscapeCommFunction(AD_HANDLE handle, uint32_t function) {
    return withW32Record(handle, [&](DeviceExtension& record) {
        switch (function) {
        case AD_SETRTS:
            return reportStatus(record, AD_SetRts(handle));
        case AD_CLRRTS:
            return reportStatus(record, AD_ClrRts(handle));
        case AD_SETDTR:
            return reportStatus(record, AD_SetDtr(handle));
        case AD_CLRDTR:
            return reportStatus(record, AD_ClrDtr(handle));
        case AD_SETBREAK:
            return reportStatus(record, AD_SetBreakOn(handle));
        case AD_CLRBREAK:
            return reportStatus(record, AD_SetBreakOff(handle));
        default:
            return w32False;
        }
    });
}

AD_W32_BOOL AD_W32_GetCommModemStatus(AD_HANDLE handle, uint32_t* modemStatus) {
    return withW32Record(handle, [&](DeviceExtension& /*record*/) {
        return AD_GetModemStatus(handle, modemStatus) == AD_OK ? w32True : w32False;
    });
}

AD_W32_BOOL AD_W32_GetCommTimeouts(AD_HANDLE handle, ADTIMEOUTS* timeouts) {
    return withW32Record(handle, [&](DeviceExtension& record) {
        if (timeouts == nullptr) {
            return w32MissingPointer;
        }
        *timeouts = ADTIMEOUTS{0, 0, record.readTimeout.load(), 0, record.writeTimeout.load()};
        return w32True;
    });
}

AD_W32_BOOL AD_W32_SetCommTimeouts(AD_HANDLE handle, ADTIMEOUTS* timeouts) {
    return withW32Record(handle, [&](DeviceExtension& /*record*/) {
        if (timeouts == nullptr) {
            return w32MissingPointer;
        }
        return AD_SetTimeouts(handle, timeouts->ReadTotalTimeoutConstant,
                              timeouts->WriteTotalTimeoutConstant) == AD_OK
                   ? w32True
                   : w32False;
    });
}

uint32_t AD_W32_GetLastError(AD_HANDLE handle) {
    const auto record = findRecord(handle);
    return record ? record->win32LastError.load() : AD_INVALID_HANDLE;
}

AD_W32_BOOL AD_W32_PurgeComm(AD_HANDLE handle, uint32_t flags) {
    return withW32Record(handle, [&](DeviceExtension& record) {
        std::uint32_t mask = 0;
        if ((flags & (AD_PURGE_RXABORT | AD_PURGE_RXCLEAR)) != 0) {
            mask |= AD_PURGE_RX;
        }
        if ((flags & (AD_PURGE_TXABORT | AD_PURGE_TXCLEAR)) != 0) {
            mask |= AD_PURGE_TX;
        }
        return reportStatus(record, AD_Purge(handle, mask));
    });
}

AD_W32_BOOL AD_W32_SetupComm(AD_HANDLE handle, uint32_t /*readBufferSize*/, uint32_t /*writeBufferSize*/) {
    return withW32Record(handle, [](DeviceExtension& /*record*/) { return w32True; });
}

} // extern "C"
