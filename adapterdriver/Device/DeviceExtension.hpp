#pragma once
// The record behind one open handle: the claimed USB interface, the receive
// ring and its threads, the write hand-off, line settings and event state.
// Records are shared (std::shared_ptr) between the handle registry and every
// call in progress, so a concurrent AD_Close never frees one under a caller.

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <thread>
#include <vector>

#include "adapterdriver/Receive/SlotQueue.hpp"
#include "adapterdriver/Support/SyncEvent.hpp"
#include "adapterdriver/USB/USBBackend.hpp"
#include "adapterdriver/adapterdriver.h"

namespace adapterdriver {

struct DeviceExtension;

constexpr std::size_t receiveSlotCount = 4;
constexpr std::size_t receiveSlotBufferSize = 0x10000;
constexpr std::uint32_t receiveRingCapacity = 0x40000;
constexpr std::uint32_t transferSizeLimit = 0x10000;
constexpr std::uint32_t defaultTransferSize = 4096;

// One of the four bulk-in transfers a handle keeps queued. A slot is either
// free (the reader submits it next), in flight, or done (its transfer
// completed and waits for the processor, or is being processed).
struct ReceiveSlot {
    std::vector<unsigned char> buffer;
    // What the completed transfer brought; 0 again once it is processed, so
    // that only bytes still waiting for the processor count as received.
    std::atomic<std::int32_t> length{0};
    std::atomic<bool> discard{false};
    std::unique_ptr<USBTransfer> transfer;
    std::atomic<int> status{LIBUSB_TRANSFER_COMPLETED};
    DeviceExtension* owner = nullptr;
    // Submissions whose callback has not finished yet; a count, because the
    // slot can be submitted again before the previous callback returned.
    int inFlight = 0; // guarded by DeviceExtension::inFlightMutex
};

struct DeviceExtension {
    std::shared_ptr<USBBackend> backend;

    // --- USB identity, fixed once the open succeeded ---
    std::unique_ptr<USBDeviceHandle> usbHandle;
    std::shared_ptr<USBDevice> usbDevice;
    int interfaceNumber = -1;
    std::uint16_t modemStatusIndex = 0;
    unsigned char bulkInEndpoint = 0;
    unsigned char bulkOutEndpoint = 0;
    std::optional<libusb_device_descriptor> deviceDescriptor; // dev_desc
    std::optional<USBConfigDescriptor> configDescriptor;      // config_desc
    std::int8_t portIndex = 0;
    std::uint16_t maxPacketSize = 64;
    AD_DEVICE_LIST_INFO_NODE info{};
    std::uint32_t chipType = AD_DEVICE_UNKNOWN;
    std::uint32_t position = 0;       // candidates examined before this device
    std::uint32_t openedLocation = 0; // the location a caller opened by
    std::uint32_t sequenceNumber = 0;
    AD_HANDLE handle = nullptr;

    // Identity for configuration matching.
    std::uint32_t vendorId = 0;
    std::uint32_t productId = 0;
    char serialNumber[17] = {};
    char description[65] = {};
    std::uint32_t configFlags = 0;

    // Held shared by every call that uses usbHandle, exclusively by AD_Close
    // when it closes it; closed tells late callers the handle is gone.
    std::shared_mutex usbMutex;
    bool closed = false; // guarded by usbMutex

    std::atomic<bool> present{false};
    std::mutex deviceMutex; // takes AD_Write calls in turn

    // --- receive path ---
    std::mutex ringMutex;
    std::condition_variable ringChanged; // data added, device gone or handle closing
    std::vector<std::uint8_t> ring;
    std::uint32_t ringWrite = 0;
    std::uint32_t ringRead = 0;
    std::uint32_t ringCapacity = receiveRingCapacity;
    std::uint32_t ringFree = receiveRingCapacity;

    std::atomic<bool> stop{false}; // set under slotMutex
    std::thread readerThread;
    std::thread processorThread;
    SyncEvent readerWake;
    SyncEvent processorWake;
    std::array<ReceiveSlot, receiveSlotCount> slots;
    // The hand-off of the slots. Transfers on the bulk-in endpoint complete
    // in the order they were submitted, and the processor takes done slots
    // in the order they completed, so bytes keep their order whichever slot
    // carries them. Both threads sleep until a slot comes their way.
    std::mutex slotMutex;
    std::condition_variable slotsForReader;
    std::condition_variable slotsForProcessor;
    SlotQueue<ReceiveSlot, receiveSlotCount> freeSlots; // guarded by slotMutex
    SlotQueue<ReceiveSlot, receiveSlotCount> doneSlots; // guarded by slotMutex
    bool processorBusy = false;                         // guarded by slotMutex
    std::mutex inFlightMutex;
    std::condition_variable inFlightChanged;

    std::atomic<std::uint32_t> inTransferSize{defaultTransferSize};
    std::uint32_t inTransferLimit = transferSizeLimit;
    std::atomic<std::uint32_t> outTransferSize{defaultTransferSize};
    std::uint32_t outTransferLimit = transferSizeLimit;
    std::atomic<std::uint32_t> transferTimeout{5000};
    std::atomic<std::uint32_t> deadmanTimeout{5000};
    std::atomic<std::uint8_t> latency{16};

    // setReceiveListener: told about added bytes, a vanished device and the
    // close.
    std::mutex listenerMutex;
    std::shared_ptr<const std::function<void()>> receiveListener; // guarded by listenerMutex

    std::atomic<std::uint8_t> lastModemStatus{0};
    std::atomic<std::uint8_t> lastLineStatus{0};
    std::atomic<std::uint8_t> eventChar{0};
    std::atomic<std::uint8_t> eventCharEnabled{0};
    std::atomic<std::uint8_t> errorChar{0};
    std::atomic<std::uint8_t> errorCharEnabled{0};

    // AD_SetEventNotification.
    std::mutex notificationMutex;
    std::uint32_t notificationMask = 0;            // guarded by notificationMutex
    AD_EVENT_HANDLE* notificationTarget = nullptr; // guarded by notificationMutex
    bool notificationEnabled = false;              // guarded by notificationMutex
    std::atomic<std::uint32_t> eventStatus{0};

    // Win32-style events, raised by the receive and write paths.
    std::mutex win32Mutex;
    std::uint32_t win32EventMask = 0;   // guarded by win32Mutex
    std::uint32_t win32EventStatus = 0; // guarded by win32Mutex
    bool win32WaitAbandoned = false;    // guarded by win32Mutex
    SyncEvent win32Event;
    std::atomic<std::uint32_t> lineErrors{0};
    std::atomic<std::uint32_t> win32LastError{0};
    std::array<std::uint8_t, 28> win32RequestedSettings{};
    std::array<std::uint8_t, 28> win32CurrentSettings{};

    // --- line settings ---
    std::atomic<std::uint32_t> readTimeout{0};  // ms, 0 = no limit
    std::atomic<std::uint32_t> writeTimeout{0}; // ms, 0 = no limit
    std::atomic<std::uint16_t> linePropertyWord{8};
    std::atomic<std::uint32_t> baudRate{0};
    std::atomic<bool> inTaskStopped{false};

    // --- write path ---
    bool useWriteThread = false;
    std::thread writeThread;
    std::atomic<bool> writeRunning{false};
    SyncEvent writeRequest;
    SyncEvent writeDone;
    // The hand-off block, ordered by the two events.
    unsigned char* writeBuffer = nullptr;
    std::uint32_t writeCount = 0;
    std::uint32_t* writeWritten = nullptr;
    std::uint32_t writeResult = 0;

    bool isMultiInterface() const;
    std::uint16_t bcdDevice() const { return deviceDescriptor ? deviceDescriptor->bcdDevice : 0; }
    std::uint8_t serialNumberIndex() const { return deviceDescriptor ? deviceDescriptor->iSerialNumber : 0; }
};

// Marks the device as gone and wakes every reader waiting for data.
void markDeviceGone(DeviceExtension& record);

// Calls the handle's receive listener, if it has one.
void notifyReceiveListener(DeviceExtension& record);

} // namespace adapterdriver
