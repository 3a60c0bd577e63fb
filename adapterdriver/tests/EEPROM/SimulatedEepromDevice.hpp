#pragma once
// Word access to a simulated EEPROM through the vendor requests it answers,
// for tests of the layouts without a handle.

#include "adapterdriver/EEPROM/EepromDevice.hpp"
#include "simulators/usb/SimulatedEEPROM.hpp"

namespace adapterdriver::testing {

class SimulatedEepromDevice final : public EepromDevice {
  public:
    explicit SimulatedEepromDevice(Simulators::SimulatedEEPROM& eeprom) : eeprom_(eeprom) {}

    AD_STATUS readWord(std::uint32_t wordOffset, std::uint16_t& value) override {
        unsigned char data[2] = {};
        if (eeprom_.answerControlTransfer(0xC0, 0x90, 0, static_cast<std::uint16_t>(wordOffset), data, 2) !=
            2) {
            return AD_IO_ERROR;
        }
        value = static_cast<std::uint16_t>(data[0] | (data[1] << 8));
        return AD_OK;
    }

    AD_STATUS writeWord(std::uint32_t wordOffset, std::uint16_t value) override {
        return eeprom_.answerControlTransfer(0x40, 0x91, value, static_cast<std::uint16_t>(wordOffset),
                                             nullptr, 0) == 0
                   ? AD_OK
                   : AD_IO_ERROR;
    }

    AD_STATUS erase() override {
        return eeprom_.answerControlTransfer(0x40, 0x92, 0, 0, nullptr, 0) == 0 ? AD_OK : AD_IO_ERROR;
    }

  private:
    Simulators::SimulatedEEPROM& eeprom_;
};

// A record of the current layout with the four strings set.
inline AD_PROGRAM_DATA programData(char* manufacturer, char* manufacturerId, char* description,
                                   char* serialNumber) {
    AD_PROGRAM_DATA data{};
    data.Signature1 = 0;
    data.Signature2 = 0xFFFFFFFF;
    data.VendorId = 0x0403;
    data.ProductId = 0x6010;
    data.Manufacturer = manufacturer;
    data.ManufacturerId = manufacturerId;
    data.Description = description;
    data.SerialNumber = serialNumber;
    data.MaxPower = 90;
    return data;
}

} // namespace adapterdriver::testing
