// The receive threads of a handle and the unpacking of bulk-in packets.

#include <chrono>
#include <shared_mutex>
#include <thread>

#include "adapterdriver/Receive/ReceiveRing.hpp"

namespace adapterdriver {

namespace {

constexpr std::uint8_t modemStatusMask = 0xF0;
constexpr std::uint8_t lineErrorMask = 0x1E;

// Win32-style event bits.
constexpr std::uint32_t win32CharacterReceived = 0x0001;
constexpr std::uint32_t win32EventCharacter = 0x0002;
constexpr std::uint32_t win32CTSChanged = 0x0008;
constexpr std::uint32_t win32DSRChanged = 0x0010;
constexpr std::uint32_t win32RLSDChanged = 0x0020;
constexpr std::uint32_t win32LineError = 0x0080;
constexpr std::uint32_t win32RingChanged = 0x0100;

int submitSlot(DeviceExtension& record, ReceiveSlot& slot) {
    USBTransfer& transfer = *slot.transfer;
    transfer.deviceHandle = record.usbHandle.get();
    transfer.endpoint = record.bulkInEndpoint;
    transfer.buffer = slot.buffer.data();
    transfer.length = static_cast<int>(record.inTransferSize.load());
    transfer.callback = &receiveTransferCompleted;
    transfer.userData = &slot;
    transfer.timeoutMilliseconds = record.transferTimeout.load();
    {
        std::lock_guard guard(record.inFlightMutex);
        ++slot.inFlight;
    }
    const int result = record.backend->submitTransfer(transfer);
    if (result != LIBUSB_SUCCESS) {
        std::lock_guard guard(record.inFlightMutex);
        --slot.inFlight;
        record.inFlightChanged.notify_all();
    }
    return result;
}

void waitUntilStopped(SyncEvent& wake, const std::atomic<bool>& stop) {
    while (!stop.load()) {
        wake.wait(0, &stop);
    }
}

// Raises the events of one packet through AD_SetEventNotification when it is
// enabled, through the Win32-style event otherwise.
void raiseEvents(DeviceExtension& record, bool dataAdded, std::uint8_t oldModem, std::uint8_t newModem,
                 std::uint32_t lineErrors, bool eventCharacterSeen) {
    bool notificationEnabled = false;
    AD_EVENT_HANDLE* signalTarget = nullptr;
    {
        std::lock_guard guard(record.notificationMutex);
        notificationEnabled = record.notificationEnabled;
        if (notificationEnabled) {
            bool raised = false;
            auto raise = [&](bool condition, std::uint32_t bit) {
                std::uint32_t expected = 0;
                if (condition && (record.notificationMask & bit) != 0 &&
                    record.eventStatus.compare_exchange_strong(expected, bit)) {
                    raised = true;
                }
            };
            raise(dataAdded, AD_EVENT_RXCHAR);
            raise(oldModem != newModem, AD_EVENT_MODEM_STATUS);
            raise(lineErrors != 0, AD_EVENT_LINE_STATUS);
            if (raised) {
                signalTarget = record.notificationTarget;
            }
        }
    }
    if (notificationEnabled) {
        // Signalled outside the library's lock: the caller may hold its own
        // mutex while it changes the notification.
        if (signalTarget != nullptr) {
            pthread_mutex_lock(&signalTarget->eMutex);
            pthread_cond_signal(&signalTarget->eCondVar);
            pthread_mutex_unlock(&signalTarget->eMutex);
        }
        return;
    }
    std::lock_guard guard(record.win32Mutex);
    bool raised = false;
    auto raise = [&](bool condition, std::uint32_t bit) {
        if (condition && (record.win32EventMask & bit) != 0 && (record.win32EventStatus & bit) == 0) {
            record.win32EventStatus |= bit;
            raised = true;
        }
    };
    raise(dataAdded, win32CharacterReceived);
    const std::uint8_t changed = oldModem ^ newModem;
    raise((changed & 0x10) != 0, win32CTSChanged);
    raise((changed & 0x20) != 0, win32DSRChanged);
    raise((changed & 0x80) != 0, win32RLSDChanged);
    raise((changed & 0x40) != 0, win32RingChanged);
    if (lineErrors != 0) {
        record.lineErrors |= lineErrors;
        raise(true, win32LineError);
    }
    raise(eventCharacterSeen, win32EventCharacter);
    if (raised) {
        record.win32Event.set();
    }
}

} // namespace

void markDeviceGone(DeviceExtension& record) {
    record.present = false;
    {
        std::lock_guard guard(record.ringMutex);
        record.ringChanged.notify_all();
    }
    notifyReceiveListener(record);
}

namespace {

// With the slot lock held: whether a completed transfer carries nothing the
// processor would act on. That is a transfer without payload whose status
// bytes (if any) repeat the modem and line status already taken, while no
// earlier transfer still waits to be processed (it could change that status).
// A quiet adapter sends such a status packet every latency period.
bool bringsNothingNew(const DeviceExtension& record, const ReceiveSlot& slot) {
    if (slot.status.load() != LIBUSB_TRANSFER_COMPLETED || slot.length.load() > 2 ||
        !record.doneSlots.empty() || record.processorBusy) {
        return false;
    }
    if (slot.length.load() < 2) {
        return true;
    }
    return (slot.buffer[0] & modemStatusMask) == record.lastModemStatus.load() &&
           slot.buffer[1] == record.lastLineStatus.load();
}

} // namespace

void receiveTransferCompleted(USBTransfer& transfer) {
    auto& slot = *static_cast<ReceiveSlot*>(transfer.userData);
    DeviceExtension& record = *slot.owner;
    slot.length = 0;
    const libusb_transfer_status status = transfer.status;
    if (status == LIBUSB_TRANSFER_NO_DEVICE || status == LIBUSB_TRANSFER_ERROR ||
        status == LIBUSB_TRANSFER_TIMED_OUT) {
        markDeviceGone(record);
    } else if (status != LIBUSB_TRANSFER_CANCELLED) {
        slot.length = transfer.actualLength;
    }
    slot.status = status;
    bool forReader = false;
    bool forProcessor = false;
    {
        std::lock_guard guard(record.slotMutex);
        if (!record.stop.load() && bringsNothingNew(record, slot)) {
            // Consumed here: the slot goes straight back to the adapter
            // without waking the reader or the processor.
            slot.length = 0;
            if (submitSlot(record, slot) != LIBUSB_SUCCESS) {
                // The reader deals with the failure.
                record.freeSlots.push(&slot);
                forReader = true;
            }
        } else {
            record.doneSlots.push(&slot);
            forProcessor = true;
        }
    }
    if (forReader) {
        record.slotsForReader.notify_one();
    }
    if (forProcessor) {
        record.slotsForProcessor.notify_one();
    }
    // Last: once the count drops, AD_Close may free the record.
    std::lock_guard guard(record.inFlightMutex);
    --slot.inFlight;
    record.inFlightChanged.notify_all();
}

void readerThreadMain(DeviceExtension* record) {
    while (true) {
        ReceiveSlot* slot = nullptr;
        {
            std::unique_lock guard(record->slotMutex);
            record->slotsForReader.wait(guard,
                                        [&] { return record->stop.load() || !record->freeSlots.empty(); });
            if (record->stop.load()) {
                break;
            }
            slot = record->freeSlots.pop();
        }
        const int result = submitSlot(*record, *slot);
        if (result == LIBUSB_SUCCESS) {
            continue;
        }
        if (result == LIBUSB_ERROR_OTHER) {
            // A passing failure: the slot is submitted again first, after a
            // pause (so that a lasting failure does not spin).
            {
                std::lock_guard guard(record->slotMutex);
                record->freeSlots.pushFront(slot);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        if (result == LIBUSB_ERROR_NO_DEVICE || result == LIBUSB_ERROR_PIPE) {
            markDeviceGone(*record);
        }
        break;
    }
    waitUntilStopped(record->readerWake, record->stop);
}

namespace {

// Handles one done slot; false when reception has to stop.
bool processSlot(DeviceExtension& record, ReceiveSlot& slot) {
    if (!record.present.load()) {
        return false;
    }
    const int status = slot.status.load();
    if (status != LIBUSB_TRANSFER_COMPLETED) {
        if (status != LIBUSB_TRANSFER_STALL) {
            return false;
        }
        {
            std::shared_lock guard(record.usbMutex);
            if (!record.closed && record.usbHandle) {
                record.backend->clearHalt(*record.usbHandle, record.bulkInEndpoint);
            }
        }
        std::this_thread::yield();
        // The stalled slot goes back to the reader, or reception would
        // run out of slots.
        return true;
    }
    if (!slot.discard.exchange(false)) {
        processReceivedBuffer(record, slot.buffer.data(), static_cast<std::size_t>(slot.length.load()));
    }
    // Processed: a purge from now on has nothing of this slot to drop, and
    // must not drop what the slot brings next.
    slot.length = 0;
    slot.discard = false;
    return true;
}

} // namespace

void processorThreadMain(DeviceExtension* record) {
    while (true) {
        ReceiveSlot* slot = nullptr;
        {
            std::unique_lock guard(record->slotMutex);
            record->slotsForProcessor.wait(guard,
                                           [&] { return record->stop.load() || !record->doneSlots.empty(); });
            if (record->stop.load()) {
                break;
            }
            slot = record->doneSlots.pop();
            record->processorBusy = true;
        }
        const bool goOn = processSlot(*record, *slot);
        {
            std::lock_guard guard(record->slotMutex);
            record->processorBusy = false;
            if (goOn) {
                record->freeSlots.push(slot);
            }
        }
        if (!goOn) {
            break;
        }
        record->slotsForReader.notify_one();
    }
    waitUntilStopped(record->processorWake, record->stop);
}

void processReceivedBuffer(DeviceExtension& record, const unsigned char* data, std::size_t length) {
    bool eventCharEnabled = false;
    std::uint8_t eventChar = 0;
    if (length >= 3) {
        eventChar = record.eventChar.load();
        eventCharEnabled = record.eventCharEnabled.load() != 0;
    }
    const std::size_t packetSize = record.maxPacketSize;
    bool anyAdded = false;
    std::size_t offset = 0;
    while (offset + 2 <= length) {
        const std::size_t remaining = length - offset;
        const std::size_t chunk = remaining < packetSize ? remaining : packetSize;
        const unsigned char* packet = data + offset;
        const std::uint8_t oldModem = record.lastModemStatus.load();
        const std::uint8_t newModem = packet[0] & modemStatusMask;
        record.lastModemStatus = newModem;
        record.lastLineStatus = packet[1];
        const std::uint32_t lineErrors = remaining > 2 ? (packet[1] & lineErrorMask) : 0u;

        bool dataAdded = false;
        bool eventCharacterSeen = false;
        if (chunk > 2) {
            const std::uint32_t payload = static_cast<std::uint32_t>(chunk - 2);
            const unsigned char* bytes = packet + 2;
            std::lock_guard guard(record.ringMutex);
            if (record.ringFree >= payload) {
                for (std::uint32_t i = 0; i < payload; ++i) {
                    record.ring[record.ringWrite] = bytes[i];
                    if (eventCharEnabled && bytes[i] == eventChar) {
                        eventCharacterSeen = true;
                    }
                    if (++record.ringWrite == record.ringCapacity) {
                        record.ringWrite = 0;
                    }
                }
                record.ringFree -= payload;
                dataAdded = true;
            }
        }
        raiseEvents(record, dataAdded, oldModem, newModem, lineErrors, eventCharacterSeen);
        anyAdded = anyAdded || dataAdded;
        offset += chunk;
    }
    if (anyAdded) {
        // Once for the whole transfer, and after the ring's lock is released:
        // a reader woken for every packet would mostly find too few bytes, or
        // the lock still held, and sleep again.
        record.ringChanged.notify_all();
        notifyReceiveListener(record);
    }
}

bool retireReceiveTransfers(DeviceExtension& record) {
    for (auto& slot : record.slots) {
        bool inFlight = false;
        {
            std::lock_guard guard(record.inFlightMutex);
            inFlight = slot.inFlight > 0;
        }
        if (inFlight && slot.transfer) {
            record.backend->cancelTransfer(*slot.transfer);
        }
    }
    std::unique_lock guard(record.inFlightMutex);
    return record.inFlightChanged.wait_for(guard, std::chrono::seconds(5), [&] {
        for (const auto& slot : record.slots) {
            if (slot.inFlight > 0) {
                return false;
            }
        }
        return true;
    });
}

} // namespace adapterdriver
