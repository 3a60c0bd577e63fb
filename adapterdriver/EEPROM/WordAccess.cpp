// AD_ReadEE, AD_WriteEE, AD_EraseEE.

#include "adapterdriver/Device/HandleAccess.hpp"
#include "adapterdriver/EEPROM/RecordEepromDevice.hpp"
#include "adapterdriver/LineSettings/VendorRequest.hpp"

namespace adapterdriver {

AD_STATUS readEepromWord(DeviceExtension& record, std::uint32_t wordOffset, std::uint16_t& value) {
    if (wordOffset >= eepromWordLimit) {
        return AD_INVALID_ARGS;
    }
    unsigned char data[2] = {};
    const auto status = vendorRequestIn(record, requestReadEEPROM, 0, static_cast<std::uint16_t>(wordOffset),
                                        data, sizeof(data));
    if (status == AD_OK) {
        value = static_cast<std::uint16_t>(data[0] | (data[1] << 8));
    }
    return status;
}

AD_STATUS writeEepromWord(DeviceExtension& record, std::uint32_t wordOffset, std::uint16_t value) {
    if (wordOffset >= eepromWordLimit) {
        return AD_INVALID_ARGS;
    }
    return vendorRequestOut(record, requestWriteEEPROM, value, static_cast<std::uint16_t>(wordOffset));
}

AD_STATUS eraseEeprom(DeviceExtension& record) {
    return vendorRequestOut(record, requestEraseEEPROM, 0, 0);
}

} // namespace adapterdriver

using namespace adapterdriver;

extern "C" {

AD_STATUS AD_ReadEE(AD_HANDLE handle, uint32_t wordOffset, uint16_t* value) {
    return withRecord(handle, [&](DeviceExtension& record) {
        if (value == nullptr) {
            return AD_INVALID_PARAMETER;
        }
        return readEepromWord(record, wordOffset, *value);
    });
}

AD_STATUS AD_WriteEE(AD_HANDLE handle, uint32_t wordOffset, uint16_t value) {
    return withRecord(handle,
                      [&](DeviceExtension& record) { return writeEepromWord(record, wordOffset, value); });
}

AD_STATUS AD_EraseEE(AD_HANDLE handle) {
    return withRecord(handle, [](DeviceExtension& record) { return eraseEeprom(record); });
}

} // extern "C"
