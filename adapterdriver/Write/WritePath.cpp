#include "adapterdriver/Write/WritePath.hpp"

#include <shared_mutex>

#include "adapterdriver/Device/HandleAccess.hpp"

namespace adapterdriver {

namespace {

constexpr std::uint32_t win32TransmitFinished = 0x0004;

// One bulk-out transfer. A time-out is not an error: the caller sees it as
// fewer bytes written than asked.
std::uint32_t bulkOut(DeviceExtension& record, unsigned char* buffer, std::uint32_t count,
                      std::uint32_t& transferred) {
    transferred = 0;
    std::shared_lock guard(record.usbMutex);
    if (record.closed || !record.usbHandle) {
        return static_cast<std::uint32_t>(LIBUSB_ERROR_NO_DEVICE);
    }
    int done = 0;
    const int result =
        record.backend->bulkTransfer(*record.usbHandle, record.bulkOutEndpoint, buffer,
                                     static_cast<int>(count), &done, record.writeTimeout.load());
    transferred = done > 0 ? static_cast<std::uint32_t>(done) : 0u;
    if (result == LIBUSB_ERROR_TIMEOUT || result == LIBUSB_ERROR_OTHER) {
        return 0;
    }
    return static_cast<std::uint32_t>(result);
}

std::uint32_t writeThroughThread(DeviceExtension& record, unsigned char* buffer, std::uint32_t count,
                                 std::uint32_t* written) {
    record.writeBuffer = buffer;
    record.writeCount = count;
    record.writeWritten = written;
    record.writeRequest.set();
    record.writeDone.wait(0);
    record.writeDone.reset();
    return record.writeResult;
}

} // namespace

void writeThreadMain(DeviceExtension* record) {
    while (record->writeRunning.load()) {
        record->writeRequest.wait(0);
        record->writeRequest.reset();
        std::uint32_t transferred = 0;
        std::uint32_t result = 0;
        if (record->writeCount != 0) {
            result = bulkOut(*record, record->writeBuffer, record->writeCount, transferred);
        }
        if (record->writeWritten != nullptr) {
            *record->writeWritten = transferred;
        }
        record->writeResult = result;
        record->writeDone.set();
    }
}

void stopWriteThread(DeviceExtension& record) {
    if (!record.writeThread.joinable()) {
        return;
    }
    std::lock_guard guard(record.deviceMutex);
    record.writeCount = 0;
    record.writeWritten = nullptr;
    record.writeRunning = false;
    record.writeRequest.set();
    record.writeThread.join();
}

} // namespace adapterdriver

using namespace adapterdriver;

extern "C" AD_STATUS AD_Write(AD_HANDLE handle, void* buffer, uint32_t bytesToWrite, uint32_t* bytesWritten) {
    return withRecord(handle, [&](DeviceExtension& record) {
        std::lock_guard guard(record.deviceMutex);
        if (buffer == nullptr || bytesWritten == nullptr) {
            return AD_INVALID_PARAMETER;
        }
        if (bytesToWrite == 0) {
            return AD_OK;
        }
        if (record.stop.load()) {
            return AD_IO_ERROR; // closed meanwhile
        }
        *bytesWritten = 0;
        auto* bytes = static_cast<unsigned char*>(buffer);
        std::uint32_t result = 0;
        if (record.useWriteThread) {
            result = writeThroughThread(record, bytes, bytesToWrite, bytesWritten);
        } else {
            std::uint32_t transferred = 0;
            result = bulkOut(record, bytes, bytesToWrite, transferred);
            *bytesWritten = transferred;
        }
        if (*bytesWritten == bytesToWrite) {
            std::lock_guard win32Guard(record.win32Mutex);
            if ((record.win32EventMask & win32TransmitFinished) != 0) {
                if (record.win32EventStatus == 0) {
                    record.win32EventStatus = win32TransmitFinished;
                }
                record.win32Event.set();
            }
        }
        return result == 0 ? AD_OK : AD_IO_ERROR;
    });
}
