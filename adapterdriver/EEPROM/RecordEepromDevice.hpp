#pragma once
// Word access to the EEPROM of an open handle's adapter through the vendor
// requests 0x90 (read), 0x91 (write) and 0x92 (erase).

#include <cstdint>

#include "adapterdriver/Device/DeviceExtension.hpp"
#include "adapterdriver/EEPROM/EepromDevice.hpp"

namespace adapterdriver {

// Word offsets the requests accept.
constexpr std::uint32_t eepromWordLimit = 2048;

AD_STATUS readEepromWord(DeviceExtension& record, std::uint32_t wordOffset, std::uint16_t& value);
AD_STATUS writeEepromWord(DeviceExtension& record, std::uint32_t wordOffset, std::uint16_t value);
AD_STATUS eraseEeprom(DeviceExtension& record);

class RecordEepromDevice final : public EepromDevice {
  public:
    explicit RecordEepromDevice(DeviceExtension& record) : record_(record) {}

    AD_STATUS readWord(std::uint32_t wordOffset, std::uint16_t& value) override {
        return readEepromWord(record_, wordOffset, value);
    }
    AD_STATUS writeWord(std::uint32_t wordOffset, std::uint16_t value) override {
        return writeEepromWord(record_, wordOffset, value);
    }
    AD_STATUS erase() override { return eraseEeprom(record_); }

  private:
    DeviceExtension& record_;
};

} // namespace adapterdriver
