// Reading from the receive ring: AD_Read with its time-out, the queue status
// and the receive purge.

#include <algorithm>
#include <chrono>
#include <cstring>

#include "adapterdriver/Device/HandleAccess.hpp"
#include "adapterdriver/Receive/ReceiveRing.hpp"

namespace adapterdriver {

namespace {

constexpr std::uint32_t queueStatusCap = 0x10000;

std::uint32_t heldLocked(const DeviceExtension& record) {
    return record.ringCapacity - record.ringFree;
}

AD_STATUS queueStatus(AD_HANDLE handle, std::uint32_t* count, bool capped) {
    return withRecord(handle, [&](DeviceExtension& record) {
        if (count == nullptr) {
            return AD_INVALID_PARAMETER;
        }
        *count = 0;
        if (!record.present.load()) {
            return AD_IO_ERROR;
        }
        std::uint32_t held = 0;
        {
            std::lock_guard guard(record.ringMutex);
            held = heldLocked(record);
        }
        *count = capped ? std::min(held, queueStatusCap) : held;
        return AD_OK;
    });
}

} // namespace

void discardReceivedData(DeviceExtension& record) {
    std::lock_guard guard(record.ringMutex);
    // Slots whose bytes the processor has not taken yet.
    for (auto& slot : record.slots) {
        if (slot.length.load() > 2) {
            slot.discard = true;
        }
    }
    record.ringWrite = 0;
    record.ringRead = 0;
    record.ringFree = record.ringCapacity;
}

} // namespace adapterdriver

using namespace adapterdriver;

extern "C" {

AD_STATUS AD_Read(AD_HANDLE handle, void* buffer, uint32_t bytesToRead, uint32_t* bytesReturned) {
    return withRecord(handle, [&](DeviceExtension& record) {
        if (buffer == nullptr || bytesReturned == nullptr) {
            return AD_INVALID_PARAMETER;
        }
        *bytesReturned = 0;
        if (bytesToRead == 0) {
            return AD_OK;
        }
        const std::uint32_t timeout = record.readTimeout.load();
        // Without a time-out such a read could never be satisfied.
        if (timeout == 0 && bytesToRead > record.ringCapacity) {
            return AD_INVALID_PARAMETER;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout);
        std::uint32_t count = bytesToRead;
        std::unique_lock guard(record.ringMutex);
        while (true) {
            if (!record.present.load() || record.stop.load()) {
                return AD_IO_ERROR;
            }
            const std::uint32_t held = heldLocked(record);
            if (count <= held) {
                break;
            }
            if (timeout == 0) {
                record.ringChanged.wait(guard);
            } else if (record.ringChanged.wait_until(guard, deadline) == std::cv_status::timeout ||
                       std::chrono::steady_clock::now() >= deadline) {
                // Time is up: take what is there, after one more look at the device.
                if (!record.present.load() || record.stop.load()) {
                    return AD_IO_ERROR;
                }
                count = std::min(count, heldLocked(record));
                break;
            }
        }
        auto* out = static_cast<unsigned char*>(buffer);
        record.ringFree += count;
        const std::uint32_t tail = std::min(count, record.ringCapacity - record.ringRead);
        std::memcpy(out, record.ring.data() + record.ringRead, tail);
        *bytesReturned += tail;
        record.ringRead += tail;
        if (record.ringRead == record.ringCapacity) {
            record.ringRead = 0;
        }
        if (count > tail) {
            std::memcpy(out + tail, record.ring.data(), count - tail);
            *bytesReturned += count - tail;
            record.ringRead = count - tail;
        }
        if (record.ringFree == record.ringCapacity) {
            record.eventStatus.fetch_and(~AD_EVENT_RXCHAR);
        }
        return AD_OK;
    });
}

AD_STATUS AD_GetQueueStatus(AD_HANDLE handle, uint32_t* rxBytes) {
    return queueStatus(handle, rxBytes, true);
}

AD_STATUS QueueStatusUncapped(AD_HANDLE handle, uint32_t* rxBytes) {
    return queueStatus(handle, rxBytes, false);
}

} // extern "C"
