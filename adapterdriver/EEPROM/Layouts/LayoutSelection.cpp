#include "adapterdriver/EEPROM/Layouts/Layouts.hpp"

namespace adapterdriver {

std::unique_ptr<EepromLayout> programmingLayout(std::uint32_t chipType) {
    switch (chipType) {
    case AD_DEVICE_2232C:
        return make2232CLayout();
    case AD_DEVICE_232R:
        return make232RLayout();
    case AD_DEVICE_2232H:
        return make2232HLayout();
    case AD_DEVICE_4232H:
        return make4232HLayout();
    case AD_DEVICE_232H:
        return make232HLayout();
    default:
        return makeBMLayout();
    }
}

std::unique_ptr<EepromLayout> deviceLayout(std::uint32_t chipType) {
    if (chipType == AD_DEVICE_X_SERIES) {
        return makeXSeriesLayout();
    }
    return programmingLayout(chipType);
}

} // namespace adapterdriver
