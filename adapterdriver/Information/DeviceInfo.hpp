#pragma once
// Device information of an open record, shared by the open and AD_GetDeviceInfo.

#include <cstdint>

#include "adapterdriver/Device/DeviceExtension.hpp"

namespace adapterdriver {

// AD_GetDeviceInfo on a record: chip type, id, and (when the buffers are
// given, 17 and 65 bytes) serial number and description with the interface
// letter; refreshes the record's strings.
AD_STATUS readDeviceInfo(DeviceExtension& record, std::uint32_t* type, std::uint32_t* id, char* serialNumber,
                         char* description);

// Location id of the open record.
std::uint32_t locationOf(DeviceExtension& record);

} // namespace adapterdriver
