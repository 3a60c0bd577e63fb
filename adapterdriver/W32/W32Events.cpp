// AD_W32_SetCommMask and AD_W32_WaitCommEvent: the Win32-style event mask and
// the wait for its events, which a new mask or AD_Close abandons.

#include "adapterdriver/W32/W32Handle.hpp"

using namespace adapterdriver;

extern "C" {

AD_W32_BOOL AD_W32_SetCommMask(AD_HANDLE handle, uint32_t mask) {
    return withW32Record(handle, [&](DeviceExtension& record) {
        {
            std::lock_guard guard(record.win32Mutex);
            record.win32EventMask = mask;
            record.win32WaitAbandoned = true;
            record.win32Event.set();
        }
        // The Win32 events take over from AD_SetEventNotification.
        std::lock_guard guard(record.notificationMutex);
        record.notificationEnabled = false;
        return w32True;
    });
}

AD_W32_BOOL AD_W32_WaitCommEvent(AD_HANDLE handle, uint32_t* mask, void* /*overlapped*/) {
    // The record stays alive while this call holds it, even when AD_Close
    // removes the handle during the wait.
    const auto record = findRecord(handle);
    if (!record) {
        return w32False;
    }
    if (mask == nullptr) {
        return w32MissingPointer;
    }
    {
        std::lock_guard guard(record->win32Mutex);
        if (record->win32EventMask == 0) {
            record->win32LastError = AD_INVALID_PARAMETER;
            return w32False;
        }
        record->win32WaitAbandoned = false;
    }
    for (;;) {
        {
            std::lock_guard guard(record->win32Mutex);
            if (record->win32WaitAbandoned) {
                break;
            }
            record->win32Event.reset();
            const auto status = record->win32EventStatus;
            record->win32EventStatus = 0;
            if (const auto shared = status & record->win32EventMask; shared != 0) {
                *mask = shared;
                return w32True;
            }
        }
        record->win32Event.wait(0);
    }
    // A new mask or AD_Close abandoned the wait.
    *mask = 0;
    return findRecord(handle) ? w32True : w32False;
}

} // extern "C"
