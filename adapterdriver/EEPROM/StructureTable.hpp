#pragma once
// The AD_EEPROM_Read structures by device type, with their minimum sizes.

#include <cstdint>
#include <cstring>
#include <optional>

#include "adapterdriver/adapterdriver.h"

namespace adapterdriver {

// The deviceType field at the head of every structure.
inline std::uint32_t structureDeviceType(const void* structure) {
    std::uint32_t deviceType = 0;
    std::memcpy(&deviceType, structure, sizeof(deviceType));
    return deviceType;
}

// The smallest structure each device type accepts; nothing for types
// without one.
inline std::optional<std::uint32_t> structureMinimumSize(std::uint32_t deviceType) {
    switch (deviceType) {
    case AD_DEVICE_BM:
        return 16;
    case AD_DEVICE_2232C:
        return 28;
    case AD_DEVICE_232R:
        return 32;
    case AD_DEVICE_2232H:
        return 40;
    case AD_DEVICE_4232H:
        return 36;
    case AD_DEVICE_232H:
        return 44;
    case AD_DEVICE_X_SERIES:
        return 56;
    default:
        return std::nullopt;
    }
}

static_assert(sizeof(AD_EEPROM_232B) == 16);
static_assert(sizeof(AD_EEPROM_2232) == 28);
static_assert(sizeof(AD_EEPROM_232R) == 32);
static_assert(sizeof(AD_EEPROM_2232H) == 40);
static_assert(sizeof(AD_EEPROM_4232H) == 36);
static_assert(sizeof(AD_EEPROM_232H) == 44);
static_assert(sizeof(AD_EEPROM_X_SERIES) == 56);

} // namespace adapterdriver
