// AD_Open and AD_OpenEx: find the device among the accepted ones, claim the
// interface, set up the receive ring and start the handle's threads.

#include <cctype>
#include <cstring>
#include <mutex>
#include <system_error>

#include "adapterdriver/Device/ChipType.hpp"
#include "adapterdriver/Device/DeviceExtension.hpp"
#include "adapterdriver/Device/DeviceLifecycle.hpp"
#include "adapterdriver/Device/DeviceStrings.hpp"
#include "adapterdriver/Device/DeviceTeardown.hpp"
#include "adapterdriver/Information/DeviceInfo.hpp"
#include "adapterdriver/Library/ConfigFile.hpp"
#include "adapterdriver/Library/DeviceTable.hpp"
#include "adapterdriver/Library/LibraryState.hpp"
#include "adapterdriver/LineSettings/VendorRequest.hpp"
#include "adapterdriver/Receive/ReceiveRing.hpp"
#include "adapterdriver/Support/CallGuard.hpp"
#include "adapterdriver/Write/WritePath.hpp"

namespace adapterdriver {

namespace {

constexpr std::size_t matchStringBuffer = 256;

// Interfaces a chip contributes to the index count; chips not listed are not
// counted and cannot be opened by index.
std::uint32_t interfacesCountedByIndex(std::uint16_t bcdDevice) {
    switch (bcdDevice >> 8) {
    case 0x02:
    case 0x04:
    case 0x06:
    case 0x09:
    case 0x10:
        return 1;
    case 0x05:
    case 0x07:
        return 2;
    case 0x08:
        return 4;
    default:
        return 0;
    }
}

bool isSerialRequest(const OpenRequest& request) {
    return request.by == OpenRequest::By::serialNumber;
}

// The serial number (17-byte field) or description (65-byte field) read for
// configuration matching, with " <letter>" on the dual and quad chips.
void readIdentityStrings(DeviceExtension& record) {
    record.serialNumber[0] = '\0';
    record.description[0] = '\0';
    const auto& descriptor = *record.deviceDescriptor;
    const bool suffixed = record.chipType == AD_DEVICE_2232C || record.chipType == AD_DEVICE_2232H ||
                          record.chipType == AD_DEVICE_4232H;
    auto fill = [&](std::uint8_t index, char* field, std::size_t size) {
        if (index == 0) {
            return;
        }
        if (auto text = readDeviceString(*record.backend, *record.usbHandle, index, size)) {
            copyTerminated(field, size,
                           suffixed ? withInterfaceLetter(*text, record.interfaceNumber, true) : *text);
        }
    };
    fill(descriptor.iSerialNumber, record.serialNumber, sizeof record.serialNumber);
    fill(descriptor.iProduct, record.description, sizeof record.description);
}

AD_STATUS claimInterface(DeviceExtension& record, std::size_t n) {
    const auto& config = *record.configDescriptor;
    if (n >= config.interfaces.size()) {
        return AD_DEVICE_NOT_OPENED;
    }
    const auto& interface = config.interfaces[n];
    for (const auto& endpoint : interface.endpoints) {
        if ((endpoint.bEndpointAddress & 0x80) != 0) {
            record.bulkInEndpoint = endpoint.bEndpointAddress;
        } else {
            record.bulkOutEndpoint = endpoint.bEndpointAddress;
        }
    }
    const auto& descriptor = *record.deviceDescriptor;
    record.vendorId = descriptor.idVendor;
    record.productId = descriptor.idProduct;
    record.chipType = chipTypeFromDescriptor(descriptor.bcdDevice, descriptor.iSerialNumber);
    if (isMultiInterfaceChip(descriptor.bcdDevice)) {
        record.interfaceNumber = interface.bInterfaceNumber;
        record.modemStatusIndex = interface.bInterfaceNumber;
        record.portIndex = static_cast<std::int8_t>(interface.bInterfaceNumber + 1);
    } else {
        record.interfaceNumber = 0;
        record.modemStatusIndex = 0;
        record.portIndex = 0;
    }
    // On Linux the kernel's serial driver binds these adapters; it has to let
    // go of the interface before it can be claimed.
    record.backend->setAutoDetachKernelDriver(*record.usbHandle, true);
    if (record.backend->claimInterface(*record.usbHandle, record.interfaceNumber) != LIBUSB_SUCCESS) {
        record.interfaceNumber = -1;
        return AD_DEVICE_NOT_OPENED;
    }
    readIdentityStrings(record);
    record.configFlags = readConfigFlags({record.vendorId, record.productId, record.serialNumber});
    record.useWriteThread = (record.configFlags & configFlagWriteThread) != 0;
    return AD_OK;
}

void releaseCandidate(DeviceExtension& record) {
    if (record.usbHandle) {
        record.backend->close(std::move(record.usbHandle));
    }
    record.usbDevice.reset();
    record.deviceDescriptor.reset();
    record.configDescriptor.reset();
}

// Interface named by the last character of a requested string: a-d, any case.
int interfaceFromLetter(char letter) {
    const int lower = std::tolower(static_cast<unsigned char>(letter));
    return lower >= 'a' && lower <= 'd' ? lower - 'a' : -1;
}

// Which interface a serial number or description request names on this
// device, or -1 when it does not name this device. The device's own string
// must be a prefix of the request; on single-interface chips the two are
// equal, on multi-interface chips the request adds the interface letter
// (after a blank for descriptions). A prefix of another length, or another
// suffix, is no match: the search goes on, so that an adapter named "X"
// listed ahead of one named "X Y" does not hide it.
int matchingInterface(const OpenRequest& request, const std::string& deviceString, bool multiInterface,
                      std::size_t interfaceCount) {
    const std::string& wanted = request.text;
    if (wanted.compare(0, deviceString.size(), deviceString) != 0 || wanted.size() < deviceString.size()) {
        return -1;
    }
    if (!multiInterface) {
        return wanted.size() == deviceString.size() ? 0 : -1;
    }
    const std::size_t suffix = isSerialRequest(request) ? 1 : 2;
    if (wanted.size() != deviceString.size() + suffix) {
        return -1;
    }
    if (suffix == 2 && wanted[deviceString.size()] != ' ') {
        return -1;
    }
    const int interface = interfaceFromLetter(wanted.back());
    return interface >= 0 && static_cast<std::size_t>(interface) < interfaceCount ? interface : -1;
}

AD_STATUS findAndClaim(DeviceExtension& record, const OpenRequest& request) {
    USBBackend& backend = *record.backend;
    std::vector<std::shared_ptr<USBDevice>> devices;
    if (backend.getDeviceList(devices) < 0) {
        return AD_DEVICE_NOT_FOUND;
    }
    std::uint32_t examined = 0;
    std::uint32_t interfacesBefore = 0;
    for (const auto& device : devices) {
        libusb_device_descriptor descriptor{};
        if (backend.getDeviceDescriptor(*device, descriptor) != LIBUSB_SUCCESS ||
            !isSupportedDevice(descriptor.idVendor, descriptor.idProduct)) {
            continue;
        }
        if (backend.open(*device, record.usbHandle) != LIBUSB_SUCCESS || !record.usbHandle) {
            record.usbHandle.reset();
            continue;
        }
        record.usbDevice = device;
        record.deviceDescriptor = descriptor;
        USBConfigDescriptor config;
        if (backend.getConfigDescriptor(*device, 0, config) == LIBUSB_SUCCESS) {
            record.configDescriptor = std::move(config);
        }
        record.position = examined;
        const bool multi = isMultiInterfaceChip(descriptor.bcdDevice);
        const std::size_t interfaceCount =
            record.configDescriptor ? record.configDescriptor->interfaces.size() : 0;

        int chosen = -1;
        bool stopWalk = false;
        if (record.configDescriptor) {
            switch (request.by) {
            case OpenRequest::By::index: {
                const std::uint32_t counted = interfacesCountedByIndex(descriptor.bcdDevice);
                if (request.index < interfacesBefore + counted) {
                    chosen = static_cast<int>(request.index - interfacesBefore);
                }
                interfacesBefore += counted;
                break;
            }
            case OpenRequest::By::serialNumber:
            case OpenRequest::By::description: {
                const std::uint8_t index =
                    isSerialRequest(request) ? descriptor.iSerialNumber : descriptor.iProduct;
                const auto text =
                    index == 0 ? std::nullopt
                               : readDeviceString(backend, *record.usbHandle, index, matchStringBuffer);
                if (text) {
                    chosen = matchingInterface(request, *text, multi, interfaceCount);
                }
                break;
            }
            case OpenRequest::By::location: {
                record.openedLocation = request.location;
                const std::uint32_t base = (static_cast<std::uint32_t>(backend.getBusNumber(*device)) << 8) |
                                           backend.getDeviceAddress(*device);
                const std::uint32_t deviceLocation = interfaceCount > 1 ? base << 4 : base;
                const std::uint32_t wanted = multi ? (request.location & ~0xFu) : request.location;
                if (wanted == deviceLocation) {
                    stopWalk = true;
                    if (multi) {
                        const std::uint32_t number = request.location & 0xF;
                        chosen = number == 0 || number > interfaceCount ? -1 : static_cast<int>(number) - 1;
                    } else {
                        chosen = 0;
                    }
                }
                break;
            }
            }
        }
        if (chosen >= 0) {
            return claimInterface(record, static_cast<std::size_t>(chosen));
        }
        releaseCandidate(record);
        if (stopWalk) {
            return AD_DEVICE_NOT_FOUND;
        }
        ++examined;
    }
    return AD_DEVICE_NOT_FOUND;
}

AD_STATUS allocateReceiveResources(DeviceExtension& record) {
    try {
        record.ring.assign(receiveRingCapacity, 0);
        for (auto& slot : record.slots) {
            slot.buffer.assign(receiveSlotBufferSize, 0);
            slot.transfer = record.backend->allocTransfer();
            if (!slot.transfer) {
                return AD_INSUFFICIENT_RESOURCES;
            }
            slot.length = 0;
            slot.discard = false;
            slot.owner = &record;
        }
        std::lock_guard guard(record.slotMutex);
        record.freeSlots.clear();
        record.doneSlots.clear();
        record.processorBusy = false;
        for (auto& slot : record.slots) {
            record.freeSlots.push(&slot);
        }
    } catch (const std::bad_alloc&) {
        return AD_INSUFFICIENT_RESOURCES;
    }
    return AD_OK;
}

AD_STATUS initialiseDevice(DeviceExtension& record) {
    const AD_STATUS reset = resetDevice(record);
    if (reset != AD_OK) {
        return reset;
    }
    pollModemStatus(record);

    const auto& interfaces = record.configDescriptor->interfaces;
    std::uint16_t packetSize = 0;
    if (!interfaces.empty() && !interfaces.front().endpoints.empty()) {
        packetSize = interfaces.front().endpoints.front().wMaxPacketSize;
    }
    record.maxPacketSize = packetSize == 0 ? 64 : packetSize;

    record.stop = false;
    record.ringCapacity = receiveRingCapacity;
    record.ringWrite = 0;
    record.ringRead = 0;
    record.ringFree = receiveRingCapacity;
    record.inTransferLimit = transferSizeLimit;
    record.inTransferSize = defaultTransferSize;
    record.outTransferLimit = transferSizeLimit;
    record.outTransferSize = defaultTransferSize;
    record.deadmanTimeout = 5000;
    record.transferTimeout = 5000;

    // AM chips have no latency timer; they keep the default rather than
    // being impossible to open.
    std::uint8_t latency = 16;
    const AD_STATUS latencyStatus = getLatencyTimer(record, latency);
    if (latencyStatus != AD_OK && latencyStatus != AD_NOT_SUPPORTED) {
        return latencyStatus;
    }
    record.latency = latency;

    std::uint32_t type = AD_DEVICE_UNKNOWN;
    std::uint32_t id = 0;
    char serial[17] = {};
    char description[65] = {};
    if (readDeviceInfo(record, &type, &id, serial, description) == AD_OK) {
        record.info.Type = type;
        record.info.ID = id;
        copyTerminated(record.info.SerialNumber, sizeof record.info.SerialNumber, serial);
        copyTerminated(record.info.Description, sizeof record.info.Description, description);
        record.chipType = type;
    }
    record.info.LocId = locationOf(record);

    record.win32CurrentSettings.fill(0);
    record.eventChar = 0;
    record.eventCharEnabled = 0;
    record.errorChar = 0;
    record.errorCharEnabled = 0;
    record.linePropertyWord = 8;
    record.readerWake.reset();
    record.processorWake.reset();
    record.writeRequest.reset();
    record.writeDone.reset();
    record.present = true;
    return AD_OK;
}

AD_STATUS startThreads(DeviceExtension& record) {
    try {
        record.readerThread = std::thread(readerThreadMain, &record);
        record.processorThread = std::thread(processorThreadMain, &record);
        record.writeRunning = true;
        record.writeThread = std::thread(writeThreadMain, &record);
    } catch (const std::system_error&) {
        record.writeRunning = false;
        return AD_INSUFFICIENT_RESOURCES; // the teardown stops what did start
    }
    return AD_OK;
}

} // namespace

AD_STATUS openDevice(const OpenRequest& request, AD_HANDLE* handle) {
    if (handle == nullptr) {
        return AD_INVALID_PARAMETER;
    }
    Library& library = Library::instance();
    std::lock_guard guard(library.lock());
    if (!library.ensureStarted()) {
        return AD_OTHER_ERROR;
    }
    std::shared_ptr<DeviceExtension> record;
    try {
        record = std::make_shared<DeviceExtension>();
    } catch (const std::bad_alloc&) {
        return AD_INSUFFICIENT_RESOURCES;
    }
    record->backend = library.backend();
    AD_STATUS status = AD_OK;
    try {
        status = findAndClaim(*record, request);
        if (status == AD_OK) {
            status = allocateReceiveResources(*record);
        }
        if (status == AD_OK) {
            status = initialiseDevice(*record);
        }
        if (status == AD_OK) {
            status = startThreads(*record);
        }
    } catch (...) {
        tearDown(record);
        throw;
    }
    if (status != AD_OK) {
        tearDown(record);
        return status;
    }
    record->sequenceNumber = library.nextSequenceNumber();
    *handle = library.add(std::move(record));
    return AD_OK;
}

namespace {

AD_STATUS openByIdentifier(void* arg, std::uint32_t flags, AD_HANDLE* handle) {
    OpenRequest request;
    switch (flags) {
    case AD_OPEN_BY_SERIAL_NUMBER:
    case AD_OPEN_BY_DESCRIPTION:
        if (arg == nullptr) {
            return AD_INVALID_PARAMETER;
        }
        request.by =
            flags == AD_OPEN_BY_SERIAL_NUMBER ? OpenRequest::By::serialNumber : OpenRequest::By::description;
        request.text = static_cast<const char*>(arg);
        break;
    case AD_OPEN_BY_LOCATION:
        request.by = OpenRequest::By::location;
        request.location = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(arg));
        break;
    default:
        return AD_INVALID_PARAMETER;
    }
    return openDevice(request, handle);
}

} // namespace

} // namespace adapterdriver

using namespace adapterdriver;

extern "C" {

AD_STATUS AD_Open(int deviceNumber, AD_HANDLE* handle) {
    return guardedCall([&] {
        OpenRequest request;
        request.by = OpenRequest::By::index;
        request.index = static_cast<std::uint32_t>(deviceNumber);
        return openDevice(request, handle);
    });
}

AD_STATUS AD_OpenEx(void* arg, uint32_t flags, AD_HANDLE* handle) {
    return guardedCall([&] { return openByIdentifier(arg, flags, handle); });
}

AD_STATUS AD_Close(AD_HANDLE handle) {
    return guardedCall([&] { return closeDevice(handle); });
}

} // extern "C"
