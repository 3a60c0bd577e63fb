#include "simulators/usb/AdapterDescription.hpp"

#include <utility>

namespace Simulators {

namespace {

AdapterDescription make(std::uint16_t productId, std::uint16_t bcdDevice, int interfaces,
                        std::uint16_t packetSize, std::size_t eepromWords, std::string product,
                        std::string serial) {
    AdapterDescription description;
    description.productId = productId;
    description.bcdDevice = bcdDevice;
    description.interfaceCount = interfaces;
    description.maxPacketSize = packetSize;
    description.eepromWords = eepromWords;
    description.product = std::move(product);
    description.serialNumber = std::move(serial);
    return description;
}

} // namespace

AdapterDescription AdapterDescription::chipAM(std::string product, std::string serial) {
    return make(0x6001, 0x0200, 1, 64, 64, std::move(product), std::move(serial));
}
AdapterDescription AdapterDescription::chipBM(std::string product, std::string serial) {
    return make(0x6001, 0x0400, 1, 64, 64, std::move(product), std::move(serial));
}
AdapterDescription AdapterDescription::chip2232C(std::string product, std::string serial) {
    return make(0x6010, 0x0500, 2, 64, 128, std::move(product), std::move(serial));
}
AdapterDescription AdapterDescription::chip232R(std::string product, std::string serial) {
    return make(0x6001, 0x0600, 1, 64, 64, std::move(product), std::move(serial));
}
AdapterDescription AdapterDescription::chip2232H(std::string product, std::string serial) {
    return make(0x6010, 0x0700, 2, 512, 128, std::move(product), std::move(serial));
}
AdapterDescription AdapterDescription::chip4232H(std::string product, std::string serial) {
    return make(0x6011, 0x0800, 4, 512, 128, std::move(product), std::move(serial));
}
AdapterDescription AdapterDescription::chip232H(std::string product, std::string serial) {
    return make(0x6014, 0x0900, 1, 512, 128, std::move(product), std::move(serial));
}
AdapterDescription AdapterDescription::chipXSeries(std::string product, std::string serial) {
    return make(0x6015, 0x1000, 1, 64, 1024, std::move(product), std::move(serial));
}

} // namespace Simulators
