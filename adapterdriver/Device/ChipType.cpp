#include "adapterdriver/Device/ChipType.hpp"

#include "adapterdriver/adapterdriver.h"

namespace adapterdriver {

namespace {
std::uint8_t revision(std::uint16_t bcdDevice) {
    return static_cast<std::uint8_t>(bcdDevice >> 8);
}
} // namespace

std::uint32_t chipTypeFromDescriptor(std::uint16_t bcdDevice, std::uint8_t serialNumberIndex) {
    switch (bcdDevice) {
    case 0x0200:
        return serialNumberIndex == 0 ? AD_DEVICE_BM : AD_DEVICE_AM;
    case 0x0400:
        return AD_DEVICE_BM;
    case 0x0500:
        return AD_DEVICE_2232C;
    case 0x0600:
        return AD_DEVICE_232R;
    case 0x0700:
        return AD_DEVICE_2232H;
    case 0x0800:
        return AD_DEVICE_4232H;
    case 0x0900:
        return AD_DEVICE_232H;
    case 0x1000:
        return AD_DEVICE_X_SERIES;
    default:
        return AD_DEVICE_UNKNOWN;
    }
}

bool isMultiInterfaceChip(std::uint16_t bcdDevice) {
    const auto r = revision(bcdDevice);
    return r == 0x05 || r == 0x07 || r == 0x08;
}

bool isBMOrLater(std::uint16_t bcdDevice, std::uint8_t serialNumberIndex) {
    switch (revision(bcdDevice)) {
    case 0x02:
        return serialNumberIndex == 0;
    case 0x04:
    case 0x05:
    case 0x06:
    case 0x07:
    case 0x08:
    case 0x09:
    case 0x10:
        return true;
    default:
        return false;
    }
}

bool hasTwelveMegahertzClock(std::uint16_t bcdDevice) {
    const auto r = revision(bcdDevice);
    return r == 0x07 || r == 0x08 || r == 0x09;
}

bool baudIndexCarriesPortIndex(std::uint16_t bcdDevice) {
    const auto r = revision(bcdDevice);
    return r == 0x05 || r == 0x07 || r == 0x08 || r == 0x09 || r == 0x10;
}

char interfaceLetter(int interfaceNumber) {
    static constexpr char letters[] = "ABCDE";
    return interfaceNumber >= 0 && interfaceNumber < 5 ? letters[interfaceNumber] : '?';
}

std::uint32_t locationId(std::uint8_t busNumber, std::uint8_t deviceAddress, bool severalInterfaces,
                         int interfaceNumber) {
    std::uint32_t location = (static_cast<std::uint32_t>(busNumber) << 8) | deviceAddress;
    if (severalInterfaces) {
        location = (location << 4) | static_cast<std::uint32_t>(interfaceNumber + 1);
    }
    return location;
}

} // namespace adapterdriver
