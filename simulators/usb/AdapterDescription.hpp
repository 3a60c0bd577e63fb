#pragma once
// What a simulated adapter reports about itself: ids, chip revision
// (bcdDevice), strings, interfaces and packet size, plus ready-made
// descriptions of each chip family.

#include <cstdint>
#include <string>
#include <vector>

namespace Simulators {

struct AdapterDescription {
    std::uint16_t vendorId = 0x0403;
    std::uint16_t productId = 0x6001;
    std::uint16_t bcdDevice = 0x0600;
    std::string manufacturer = "Simulated";
    std::string product = "FT232R USB UART";
    std::string serialNumber = "SIM00001";
    bool hasSerialNumber = true; // the descriptor names a serial-number string
    int interfaceCount = 1;      // 1, 2 or 4
    std::uint16_t maxPacketSize = 64;
    std::size_t eepromWords = 64;
    std::vector<std::uint16_t> eepromImage; // words from 0 on; empty: a blank EEPROM

    // Chip families, by bcdDevice.
    static AdapterDescription chipAM(std::string product, std::string serial); // 0x0200 with a serial number
    static AdapterDescription chipBM(std::string product, std::string serial); // 0x0400
    static AdapterDescription chip2232C(std::string product, std::string serial); // 0x0500, 2 interfaces
    static AdapterDescription chip232R(std::string product, std::string serial);  // 0x0600
    static AdapterDescription chip2232H(std::string product,
                                        std::string serial); // 0x0700, 2 interfaces, 512-byte packets
    static AdapterDescription chip4232H(std::string product,
                                        std::string serial); // 0x0800, 4 interfaces, 512-byte packets
    static AdapterDescription chip232H(std::string product, std::string serial); // 0x0900, 512-byte packets
    static AdapterDescription chipXSeries(std::string product, std::string serial); // 0x1000
};

} // namespace Simulators
