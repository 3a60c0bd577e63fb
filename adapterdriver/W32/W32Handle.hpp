#pragma once
// Shared by the Win32-style functions: the handle check that answers false,
// and the last-error word.

#include "adapterdriver/Device/HandleAccess.hpp"
#include "adapterdriver/W32/adapterdriver_w32.h"

namespace adapterdriver {

constexpr AD_W32_BOOL w32False = 0;
constexpr AD_W32_BOOL w32True = 1;
// What the functions that need a pointer answer without one.
constexpr AD_W32_BOOL w32MissingPointer = 6;

template <class Operation> AD_W32_BOOL withW32Record(AD_HANDLE handle, Operation&& operation) {
    const auto record = findRecord(handle);
    if (!record) {
        return w32False;
    }
    return operation(*record);
}

// Stores the status as the last error; true when it is AD_OK.
inline AD_W32_BOOL reportStatus(DeviceExtension& record, AD_STATUS status) {
    record.win32LastError = status;
    return status == AD_OK ? w32True : w32False;
}

} // namespace adapterdriver
