// AD_W32_CreateFile, CloseHandle, ReadFile, WriteFile, the overlapped calls
// and OpenHandleByIndex.

#include "adapterdriver/W32/W32Handle.hpp"

using namespace adapterdriver;

extern "C" {

AD_HANDLE AD_W32_CreateFile(const void* name, uint32_t /*access*/, uint32_t /*shareMode*/, void* /*security*/,
                            uint32_t /*create*/, uint32_t flagsAndAttributes, void* /*templateFile*/) {
    const std::uint32_t openFlags =
        flagsAndAttributes & (AD_W32_OPEN_BY_SERIAL_NUMBER | AD_W32_OPEN_BY_DESCRIPTION);
    if (openFlags == 0) {
        return AD_W32_INVALID_HANDLE_VALUE;
    }
    AD_HANDLE handle = nullptr;
    if (AD_OpenEx(const_cast<void*>(name), openFlags, &handle) != AD_OK) {
        return AD_W32_INVALID_HANDLE_VALUE;
    }
    std::uint32_t chipType = AD_DEVICE_UNKNOWN;
    std::uint32_t id = 0;
    if (AD_GetDeviceInfo(handle, &chipType, &id, nullptr, nullptr, nullptr) == AD_OK) {
        // Written only when it differs: the record is already in use by its
        // receive threads.
        if (const auto record = findRecord(handle); record && record->chipType != chipType) {
            record->chipType = chipType;
        }
    }
    return handle;
}

AD_W32_BOOL AD_W32_CloseHandle(AD_HANDLE handle) {
    return AD_Close(handle) == AD_OK ? w32True : w32False;
}

AD_W32_BOOL AD_W32_ReadFile(AD_HANDLE handle, void* buffer, uint32_t bytesToRead, uint32_t* bytesReturned,
                            void* /*overlapped*/) {
    return withW32Record(handle, [&](DeviceExtension& record) {
        return reportStatus(record, AD_Read(handle, buffer, bytesToRead, bytesReturned));
    });
}

AD_W32_BOOL AD_W32_WriteFile(AD_HANDLE handle, void* buffer, uint32_t bytesToWrite, uint32_t* bytesWritten,
                             void* /*overlapped*/) {
    return withW32Record(handle, [&](DeviceExtension& record) {
        return reportStatus(record, AD_Write(handle, buffer, bytesToWrite, bytesWritten));
    });
}

AD_W32_BOOL AD_W32_GetOverlappedResult(AD_HANDLE handle, void* /*overlapped*/, uint32_t* /*bytesTransferred*/,
                                       AD_W32_BOOL /*wait*/) {
    return withW32Record(handle,
                         [](DeviceExtension& record) { return reportStatus(record, AD_NOT_SUPPORTED); });
}

AD_W32_BOOL AD_W32_CancelIo(AD_HANDLE handle) {
    return withW32Record(handle,
                         [](DeviceExtension& record) { return reportStatus(record, AD_NOT_SUPPORTED); });
}

AD_HANDLE OpenHandleByIndex(uint32_t index) {
    AD_HANDLE handle = nullptr;
    if (AD_Open(static_cast<int>(index), &handle) != AD_OK) {
        return nullptr;
    }
    return handle;
}

} // extern "C"
