// AD_Close and the teardown shared with a failed open.

#include <mutex>
#include <shared_mutex>

#include "adapterdriver/Device/DeviceLifecycle.hpp"
#include "adapterdriver/Device/DeviceTeardown.hpp"
#include "adapterdriver/Library/LibraryState.hpp"
#include "adapterdriver/Receive/ReceiveRing.hpp"
#include "adapterdriver/Write/WritePath.hpp"

namespace adapterdriver {

namespace {

void stopReceiveThreads(DeviceExtension& record) {
    {
        // Under the slot lock: a transfer completing from now on is not
        // submitted again by the event thread.
        std::lock_guard guard(record.slotMutex);
        record.stop = true;
    }
    record.slotsForReader.notify_all();
    record.slotsForProcessor.notify_all();
    {
        // Readers waiting in AD_Read look at the stop flag again.
        std::lock_guard guard(record.ringMutex);
        record.ringChanged.notify_all();
    }
    notifyReceiveListener(record);
    if (record.readerThread.joinable()) {
        record.readerWake.set();
        record.readerThread.join();
    }
    if (record.processorThread.joinable()) {
        record.processorWake.set();
        record.processorThread.join();
    }
}

} // namespace

void tearDown(const std::shared_ptr<DeviceExtension>& owner) {
    DeviceExtension& record = *owner;
    stopReceiveThreads(record);
    stopWriteThread(record);
    if (!retireReceiveTransfers(record)) {
        // A transfer the USB stack never gave back may still complete into
        // the record: keep the record alive for good rather than free it
        // under the USB stack.
        new std::shared_ptr<DeviceExtension>(owner);
        for (auto& slot : record.slots) {
            (void)slot.transfer.release();
        }
    }
    {
        std::unique_lock guard(record.usbMutex);
        record.closed = true;
        if (record.usbHandle) {
            if (record.interfaceNumber >= 0) {
                record.backend->releaseInterface(*record.usbHandle, record.interfaceNumber);
            }
            record.backend->close(std::move(record.usbHandle));
        }
    }
    record.present = false;
    for (auto& slot : record.slots) {
        slot.transfer.reset();
    }
    {
        std::lock_guard guard(record.win32Mutex);
        record.win32EventMask = 0;
        record.win32WaitAbandoned = true;
        record.win32Event.set();
    }
}

AD_STATUS closeDevice(AD_HANDLE handle) {
    const auto record = Library::instance().remove(handle);
    if (!record) {
        return AD_INVALID_HANDLE;
    }
    tearDown(record);
    return AD_OK;
}

} // namespace adapterdriver
