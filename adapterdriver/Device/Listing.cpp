// AD_ListDevices: the number of interfaces of all accepted adapters, or the
// serial number, description or location of one interface or of all.

#include <mutex>
#include <optional>
#include <vector>

#include "adapterdriver/Device/ChipType.hpp"
#include "adapterdriver/Device/DeviceStrings.hpp"
#include "adapterdriver/Library/DeviceTable.hpp"
#include "adapterdriver/Library/LibraryState.hpp"
#include "adapterdriver/Support/CallGuard.hpp"

namespace adapterdriver {

namespace {

constexpr std::size_t listStringBuffer = 256;
constexpr int highestListedInterface = 5;

// One accepted device with the interfaces of its configuration 0.
struct ListedDevice {
    std::shared_ptr<USBDevice> device;
    libusb_device_descriptor descriptor{};
    std::uint32_t interfaceCount = 0;
};

std::optional<std::vector<ListedDevice>> acceptedDevices(USBBackend& backend) {
    std::vector<std::shared_ptr<USBDevice>> devices;
    if (backend.getDeviceList(devices) < 0) {
        return std::nullopt;
    }
    std::vector<ListedDevice> accepted;
    for (auto& device : devices) {
        ListedDevice listed;
        if (backend.getDeviceDescriptor(*device, listed.descriptor) != LIBUSB_SUCCESS ||
            !isSupportedDevice(listed.descriptor.idVendor, listed.descriptor.idProduct)) {
            continue;
        }
        USBConfigDescriptor config;
        if (backend.getConfigDescriptor(*device, 0, config) == LIBUSB_SUCCESS) {
            listed.interfaceCount = static_cast<std::uint32_t>(config.interfaces.size());
        }
        listed.device = device;
        accepted.push_back(std::move(listed));
    }
    return accepted;
}

// Writes the entry of interface `interface` of an unopened device: its
// serial number (flag 1) or description (flag 2) into a string buffer, or its
// location (flag 4) into a 32-bit word.
AD_STATUS describeInterface(USBBackend& backend, const ListedDevice& listed, int interface,
                            std::uint32_t openFlags, void* output) {
    if (openFlags == AD_OPEN_BY_LOCATION) {
        std::unique_ptr<USBDeviceHandle> handle;
        if (backend.open(*listed.device, handle) != LIBUSB_SUCCESS || !handle) {
            return AD_DEVICE_NOT_FOUND;
        }
        USBConfigDescriptor config;
        const bool readable = backend.getConfigDescriptor(*listed.device, 0, config) == LIBUSB_SUCCESS;
        backend.close(std::move(handle));
        if (!readable) {
            return AD_INVALID_PARAMETER;
        }
        *static_cast<std::uint32_t*>(output) =
            locationId(backend.getBusNumber(*listed.device), backend.getDeviceAddress(*listed.device),
                       config.interfaces.size() > 1, interface);
        return AD_OK;
    }
    if (openFlags != AD_OPEN_BY_SERIAL_NUMBER && openFlags != AD_OPEN_BY_DESCRIPTION) {
        return AD_INVALID_PARAMETER;
    }
    std::unique_ptr<USBDeviceHandle> handle;
    if (backend.open(*listed.device, handle) != LIBUSB_SUCCESS || !handle) {
        return AD_DEVICE_NOT_FOUND;
    }
    const bool bySerial = openFlags == AD_OPEN_BY_SERIAL_NUMBER;
    const std::uint8_t index = bySerial ? listed.descriptor.iSerialNumber : listed.descriptor.iProduct;
    std::optional<std::string> text;
    if (index != 0) {
        text = readDeviceString(backend, *handle, index, listStringBuffer);
    }
    backend.close(std::move(handle));
    if (!text || text->empty() || interface > highestListedInterface) {
        return AD_OTHER_ERROR;
    }
    // Named as the open matches them: the letter goes by the chip, like every
    // decision about interfaces, so a listed name always opens its interface.
    const bool multiInterface = isMultiInterfaceChip(listed.descriptor.bcdDevice);
    const std::string entry = multiInterface ? withInterfaceLetter(*text, interface, !bySerial) : *text;
    copyTerminated(static_cast<char*>(output), bySerial ? AD_SERIAL_NUMBER_SIZE : AD_DESCRIPTION_SIZE, entry);
    return AD_OK;
}

bool isListingFlag(std::uint32_t openFlags) {
    return openFlags == AD_OPEN_BY_SERIAL_NUMBER || openFlags == AD_OPEN_BY_DESCRIPTION ||
           openFlags == AD_OPEN_BY_LOCATION;
}

AD_STATUS listByIndex(USBBackend& backend, std::uint32_t index, void* output, std::uint32_t openFlags) {
    // An unknown flag would otherwise answer AD_OK with nothing written.
    if (output == nullptr || !isListingFlag(openFlags)) {
        return AD_INVALID_PARAMETER;
    }
    const auto devices = acceptedDevices(backend);
    if (!devices) {
        return AD_DEVICE_NOT_FOUND;
    }
    std::uint32_t before = 0;
    for (const auto& listed : *devices) {
        if (index < before + listed.interfaceCount) {
            return describeInterface(backend, listed, static_cast<int>(index - before), openFlags, output);
        }
        before += listed.interfaceCount;
    }
    return AD_DEVICE_NOT_FOUND;
}

AD_STATUS listAll(USBBackend& backend, void* buffers, std::uint32_t* count, std::uint32_t openFlags) {
    if (buffers == nullptr || count == nullptr) {
        return AD_INVALID_PARAMETER;
    }
    *count = 0;
    if (!isListingFlag(openFlags)) {
        return AD_INVALID_PARAMETER;
    }
    const auto devices = acceptedDevices(backend);
    if (!devices) {
        return AD_DEVICE_NOT_FOUND;
    }
    for (const auto& listed : *devices) {
        for (std::uint32_t i = 0; i < listed.interfaceCount; ++i) {
            void* output = openFlags == AD_OPEN_BY_LOCATION
                               ? static_cast<void*>(static_cast<std::uint32_t*>(buffers) + *count)
                               : static_cast<void*>(static_cast<char**>(buffers)[*count]);
            if (output == nullptr) {
                return AD_INVALID_PARAMETER;
            }
            const AD_STATUS status =
                describeInterface(backend, listed, static_cast<int>(i), openFlags, output);
            if (status != AD_OK) {
                return status;
            }
            ++*count;
        }
    }
    return AD_OK;
}

} // namespace

} // namespace adapterdriver

using namespace adapterdriver;

namespace {

AD_STATUS listDevices(void* arg1, void* arg2, uint32_t flags) {
    Library& library = Library::instance();
    std::lock_guard guard(library.lock());
    if (!library.ensureStarted()) {
        return AD_OTHER_ERROR;
    }
    USBBackend& backend = *library.backend();
    const std::uint32_t mode = flags & AD_LIST_MASK;
    if (mode == AD_LIST_NUMBER_ONLY) {
        if (arg1 == nullptr) {
            return AD_INVALID_PARAMETER;
        }
        std::uint32_t total = 0;
        if (const auto devices = acceptedDevices(backend)) {
            for (const auto& listed : *devices) {
                total += listed.interfaceCount;
            }
        }
        *static_cast<std::uint32_t*>(arg1) = total;
        return AD_OK;
    }
    if (arg1 == nullptr && arg2 == nullptr) {
        return AD_INVALID_PARAMETER;
    }
    std::uint32_t openFlags = flags & 7u;
    if (openFlags == 0) {
        openFlags = AD_OPEN_BY_SERIAL_NUMBER;
    }
    if (mode == AD_LIST_BY_INDEX) {
        return listByIndex(backend, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(arg1)), arg2,
                           openFlags);
    }
    if (mode == AD_LIST_ALL) {
        return listAll(backend, arg1, static_cast<std::uint32_t*>(arg2), openFlags);
    }
    return AD_INVALID_PARAMETER;
}

} // namespace

extern "C" AD_STATUS AD_ListDevices(void* arg1, void* arg2, uint32_t flags) {
    return guardedCall([&] { return listDevices(arg1, arg2, flags); });
}
