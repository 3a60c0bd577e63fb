// Device information of a handle and the remaining handle operations:
// modem status, events, versions, port reset and the unsupported calls.

#include <cstdio>
#include <cstdlib>
#include <shared_mutex>

#include "adapterdriver/Device/ChipType.hpp"
#include "adapterdriver/Device/DeviceStrings.hpp"
#include "adapterdriver/Device/HandleAccess.hpp"
#include "adapterdriver/Information/DeviceInfo.hpp"

namespace adapterdriver {

namespace {

constexpr std::uint32_t versionMajor = 1;
constexpr std::uint32_t versionMinor = 2;
constexpr std::uint32_t versionBuild = 2;

// The version as its decimal parts read in hexadecimal: 1.2.2 is 0x00010202.
std::uint32_t versionNumberToHex() {
    char text[16] = {};
    std::snprintf(text, sizeof text, "%02u%02u%02u", versionMajor, versionMinor, versionBuild);
    return static_cast<std::uint32_t>(std::strtoul(text, nullptr, 16));
}

} // namespace

AD_STATUS readDeviceInfo(DeviceExtension& record, std::uint32_t* type, std::uint32_t* id, char* serialNumber,
                         char* description) {
    const auto& descriptor = *record.deviceDescriptor;
    if (type != nullptr) {
        *type = chipTypeFromDescriptor(descriptor.bcdDevice, descriptor.iSerialNumber);
    }
    if (id != nullptr) {
        *id = (static_cast<std::uint32_t>(descriptor.idVendor) << 16) | descriptor.idProduct;
    }
    const bool multi = isMultiInterfaceChip(descriptor.bcdDevice);
    // Exclusive: the record's own string fields are rewritten here.
    std::unique_lock guard(record.usbMutex);
    if (record.closed || !record.usbHandle) {
        return AD_IO_ERROR;
    }
    auto fill = [&](std::uint8_t index, char* output, char* field, std::size_t fieldSize,
                    std::size_t outputSize, bool blank) -> bool {
        if (output == nullptr) {
            return true;
        }
        output[0] = '\0';
        if (index == 0) {
            return true;
        }
        const auto text = readDeviceString(*record.backend, *record.usbHandle, index, outputSize);
        if (!text) {
            return false;
        }
        const std::string stored = text->substr(0, fieldSize - 1);
        const std::string full = multi ? withInterfaceLetter(stored, record.interfaceNumber, blank) : stored;
        copyTerminated(field, fieldSize, full);
        copyTerminated(output, outputSize, full);
        return true;
    };
    if (!fill(descriptor.iSerialNumber, serialNumber, record.serialNumber, sizeof record.serialNumber, 17,
              false) ||
        !fill(descriptor.iProduct, description, record.description, sizeof record.description, 65, true)) {
        return AD_OTHER_ERROR;
    }
    return AD_OK;
}

std::uint32_t locationOf(DeviceExtension& record) {
    return locationId(record.backend->getBusNumber(*record.usbDevice),
                      record.backend->getDeviceAddress(*record.usbDevice),
                      isMultiInterfaceChip(record.bcdDevice()), record.interfaceNumber);
}

} // namespace adapterdriver

using namespace adapterdriver;

extern "C" {

AD_STATUS AD_GetModemStatus(AD_HANDLE handle, uint32_t* modemStatus) {
    return withRecord(handle, [&](DeviceExtension& record) {
        if (modemStatus == nullptr) {
            return AD_INVALID_PARAMETER;
        }
        *modemStatus = record.lastModemStatus.load();
        record.eventStatus.fetch_and(~AD_EVENT_MODEM_STATUS);
        return AD_OK;
    });
}

AD_STATUS AD_SetEventNotification(AD_HANDLE handle, uint32_t mask, void* target) {
    return withRecord(handle, [&](DeviceExtension& record) {
        if (target == nullptr) {
            return AD_INVALID_PARAMETER;
        }
        std::lock_guard guard(record.notificationMutex);
        if (mask != 0) {
            record.eventStatus = 0;
            record.notificationTarget = static_cast<AD_EVENT_HANDLE*>(target);
            record.notificationMask = mask;
            record.notificationEnabled = true;
        } else {
            record.notificationEnabled = false;
        }
        return AD_OK;
    });
}

AD_STATUS AD_GetStatus(AD_HANDLE handle, uint32_t* rxBytes, uint32_t* txBytes, uint32_t* eventStatus) {
    return withRecord(handle, [&](DeviceExtension& record) {
        if (rxBytes == nullptr || txBytes == nullptr || eventStatus == nullptr) {
            return AD_INVALID_PARAMETER;
        }
        if (!record.present.load()) {
            return AD_IO_ERROR;
        }
        const AD_STATUS status = AD_GetQueueStatus(handle, rxBytes);
        if (status != AD_OK) {
            return status;
        }
        *txBytes = 0;
        *eventStatus = record.eventStatus.exchange(0);
        return AD_OK;
    });
}

AD_STATUS AD_GetEventStatus(AD_HANDLE handle, uint32_t* eventStatus) {
    return withRecord(handle, [&](DeviceExtension& record) {
        if (eventStatus == nullptr) {
            return AD_INVALID_PARAMETER;
        }
        *eventStatus = record.eventStatus.exchange(0);
        return AD_OK;
    });
}

AD_STATUS AD_GetDeviceInfo(AD_HANDLE handle, uint32_t* type, uint32_t* id, char* serialNumber,
                           char* description, void* /*reserved*/) {
    return withRecord(handle, [&](DeviceExtension& record) {
        if (type == nullptr || id == nullptr) {
            return AD_INVALID_PARAMETER;
        }
        return readDeviceInfo(record, type, id, serialNumber, description);
    });
}

AD_STATUS AD_GetLibraryVersion(uint32_t* version) {
    if (version == nullptr) {
        return AD_INVALID_PARAMETER;
    }
    *version = versionNumberToHex();
    return AD_OK;
}

AD_STATUS AD_GetDriverVersion(AD_HANDLE /*handle*/, uint32_t* version) {
    return AD_GetLibraryVersion(version);
}

AD_STATUS AD_StopInTask(AD_HANDLE handle) {
    return withRecord(handle, [](DeviceExtension& record) {
        record.inTaskStopped = true;
        return AD_OK;
    });
}

AD_STATUS AD_RestartInTask(AD_HANDLE handle) {
    return withRecord(handle, [](DeviceExtension& record) {
        record.inTaskStopped = false;
        return AD_OK;
    });
}

AD_STATUS AD_CyclePort(AD_HANDLE handle) {
    return withRecord(handle, [](DeviceExtension& record) {
        std::shared_lock guard(record.usbMutex);
        if (record.closed || !record.usbHandle) {
            return AD_IO_ERROR;
        }
        return record.backend->resetDevice(*record.usbHandle) == LIBUSB_SUCCESS ? AD_OK : AD_IO_ERROR;
    });
}

AD_STATUS AD_IoCtl(AD_HANDLE handle, uint32_t, void*, uint32_t, void*, uint32_t, uint32_t*, void*) {
    return withRecord(handle, [](DeviceExtension&) { return AD_NOT_SUPPORTED; });
}
AD_STATUS AD_SetWaitMask(AD_HANDLE handle, uint32_t) {
    return withRecord(handle, [](DeviceExtension&) { return AD_NOT_SUPPORTED; });
}
AD_STATUS AD_WaitOnMask(AD_HANDLE handle, uint32_t*) {
    return withRecord(handle, [](DeviceExtension&) { return AD_NOT_SUPPORTED; });
}
AD_STATUS AD_SetResetPipeRetryCount(AD_HANDLE handle, uint32_t) {
    return withRecord(handle, [](DeviceExtension&) { return AD_NOT_SUPPORTED; });
}
AD_STATUS AD_ResetPort(AD_HANDLE handle) {
    return withRecord(handle, [](DeviceExtension&) { return AD_NOT_SUPPORTED; });
}

} // extern "C"
