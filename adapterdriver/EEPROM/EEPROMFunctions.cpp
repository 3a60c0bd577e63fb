// AD_EE_Program, AD_EE_Read and their Ex forms, the user-area functions and
// AD_EEPROM_Read: each finds the layout for the handle's chip type and runs
// it over the handle's EEPROM.

#include <new>

#include "adapterdriver/Device/HandleAccess.hpp"
#include "adapterdriver/EEPROM/Layouts/Layouts.hpp"
#include "adapterdriver/EEPROM/ProgramDataRecord.hpp"
#include "adapterdriver/EEPROM/RecordEepromDevice.hpp"
#include "adapterdriver/EEPROM/StructureTable.hpp"

namespace adapterdriver {

namespace {

// The 232R is programmed with its latency timer at 119 ms; the old value is
// put back afterwards.
constexpr std::uint8_t programmingLatency = 119;

// Runs an EEPROM operation on the handle's record; allocation failures
// inside become AD_INSUFFICIENT_RESOURCES.
template <class Operation> AD_STATUS withEeprom(AD_HANDLE handle, Operation&& operation) {
    return withRecord(handle, [&](DeviceExtension& record) -> AD_STATUS {
        try {
            return operation(record);
        } catch (const std::bad_alloc&) {
            return AD_INSUFFICIENT_RESOURCES;
        }
    });
}

bool olderLayoutRefused(const AD_PROGRAM_DATA& data, std::uint32_t chipType) {
    return chipType == AD_DEVICE_232R && !hasProgramDataHeader(data);
}

AD_STATUS programRecord(AD_HANDLE handle, DeviceExtension& record, const AD_PROGRAM_DATA& data) {
    const auto chipType = record.chipType;
    if (olderLayoutRefused(data, chipType)) {
        return AD_INVALID_PARAMETER;
    }
    const auto working = loadProgramData(data, chipType);
    const auto strings = programmingStrings(working);
    RecordEepromDevice device(record);

    std::uint8_t savedLatency = 0;
    const bool restoreLatency =
        chipType == AD_DEVICE_232R && AD_GetLatencyTimer(handle, &savedLatency) == AD_OK;
    if (restoreLatency) {
        AD_SetLatencyTimer(handle, programmingLatency);
    }
    const auto status = programmingLayout(chipType)->program(device, working, strings);
    if (restoreLatency) {
        AD_SetLatencyTimer(handle, savedLatency);
    }
    return status;
}

AD_STATUS readRecord(DeviceExtension& record, AD_PROGRAM_DATA& data) {
    const auto chipType = record.chipType;
    if (olderLayoutRefused(data, chipType)) {
        return AD_INVALID_PARAMETER;
    }
    auto working = loadProgramData(data, chipType);
    RecordEepromDevice device(record);
    const auto status = programmingLayout(chipType)->read(device, working);
    if (status == AD_OK) {
        storeProgramData(working, data, chipType);
    }
    return status;
}

} // namespace

} // namespace adapterdriver

using namespace adapterdriver;

extern "C" {

AD_STATUS AD_EE_Program(AD_HANDLE handle, AD_PROGRAM_DATA* data) {
    return withEeprom(handle, [&](DeviceExtension& record) {
        if (data == nullptr) {
            return AD_INVALID_PARAMETER;
        }
        return programRecord(handle, record, *data);
    });
}

AD_STATUS AD_EE_ProgramEx(AD_HANDLE handle, AD_PROGRAM_DATA* data, char* manufacturer, char* manufacturerId,
                          char* description, char* serialNumber) {
    return withEeprom(handle, [&](DeviceExtension& record) {
        if (data == nullptr) {
            return AD_INVALID_ARGS;
        }
        setProgramDataStrings(*data, manufacturer, manufacturerId, description, serialNumber);
        return programRecord(handle, record, *data);
    });
}

AD_STATUS AD_EE_Read(AD_HANDLE handle, AD_PROGRAM_DATA* data) {
    return withEeprom(handle, [&](DeviceExtension& record) {
        if (data == nullptr) {
            return AD_INVALID_PARAMETER;
        }
        return readRecord(record, *data);
    });
}

AD_STATUS AD_EE_ReadEx(AD_HANDLE handle, AD_PROGRAM_DATA* data, char* manufacturer, char* manufacturerId,
                       char* description, char* serialNumber) {
    return withEeprom(handle, [&](DeviceExtension& record) {
        if (data == nullptr) {
            return AD_INVALID_ARGS;
        }
        setProgramDataStrings(*data, manufacturer, manufacturerId, description, serialNumber);
        return readRecord(record, *data);
    });
}

AD_STATUS AD_EE_UASize(AD_HANDLE handle, uint32_t* size) {
    return withEeprom(handle, [&](DeviceExtension& record) {
        if (size == nullptr) {
            return AD_INVALID_PARAMETER;
        }
        RecordEepromDevice device(record);
        return deviceLayout(record.chipType)->userAreaSize(device, *size);
    });
}

AD_STATUS AD_EE_UAWrite(AD_HANDLE handle, uint8_t* data, uint32_t length) {
    return withEeprom(handle, [&](DeviceExtension& record) {
        if (data == nullptr && length != 0) {
            return AD_INVALID_PARAMETER;
        }
        RecordEepromDevice device(record);
        return deviceLayout(record.chipType)->writeUserArea(device, data, length);
    });
}

AD_STATUS AD_EE_UARead(AD_HANDLE handle, uint8_t* buffer, uint32_t length, uint32_t* bytesRead) {
    return withEeprom(handle, [&](DeviceExtension& record) {
        if (bytesRead == nullptr || (buffer == nullptr && length != 0)) {
            return AD_INVALID_PARAMETER;
        }
        RecordEepromDevice device(record);
        return deviceLayout(record.chipType)->readUserArea(device, buffer, length, *bytesRead);
    });
}

AD_STATUS AD_EEPROM_Read(AD_HANDLE handle, void* structure, uint32_t structureSize, char* manufacturer,
                         char* manufacturerId, char* description, char* serialNumber) {
    return withEeprom(handle, [&](DeviceExtension& record) {
        if (structure == nullptr || manufacturer == nullptr || manufacturerId == nullptr ||
            description == nullptr || serialNumber == nullptr) {
            return AD_INVALID_PARAMETER;
        }
        const auto deviceType = structureDeviceType(structure);
        const auto minimum = structureMinimumSize(deviceType);
        if (deviceType != record.chipType || !minimum || structureSize < *minimum) {
            return AD_INVALID_PARAMETER;
        }
        RecordEepromDevice device(record);
        return deviceLayout(deviceType)
            ->readStructure(device, structure, manufacturer, manufacturerId, description, serialNumber);
    });
}

AD_STATUS AD_EEPROM_Program(AD_HANDLE handle, void* /*structure*/, uint32_t /*structureSize*/,
                            char* /*manufacturer*/, char* /*manufacturerId*/, char* /*description*/,
                            char* /*serialNumber*/) {
    return withRecord(handle, [](DeviceExtension&) { return AD_NOT_SUPPORTED; });
}

AD_STATUS AD_EE_ReadConfig(AD_HANDLE handle, uint8_t /*address*/, uint8_t* /*value*/) {
    return withRecord(handle, [](DeviceExtension&) { return AD_NOT_SUPPORTED; });
}

AD_STATUS AD_EE_WriteConfig(AD_HANDLE handle, uint8_t /*address*/, uint8_t /*value*/) {
    return withRecord(handle, [](DeviceExtension&) { return AD_NOT_SUPPORTED; });
}

AD_STATUS AD_EE_ReadECC(AD_HANDLE handle, uint8_t /*option*/, uint16_t* /*value*/) {
    return withRecord(handle, [](DeviceExtension&) { return AD_NOT_SUPPORTED; });
}

} // extern "C"
