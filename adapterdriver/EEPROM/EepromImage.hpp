#pragma once
// The words of an EEPROM image in memory (little-endian, at most 1024 words)
// and their transfer to and from the device.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "adapterdriver/EEPROM/EepromDevice.hpp"

namespace adapterdriver {

class EepromImage {
  public:
    static constexpr std::size_t capacityInWords = 1024;

    // A blank image (every word 0xFFFF) of the given size.
    explicit EepromImage(std::size_t sizeInWords = 64);

    std::size_t sizeInWords() const { return sizeInWords_; }
    std::size_t sizeInBytes() const { return sizeInWords_ * 2; }
    // Changes how many words the transfers below move; the contents stay.
    void resize(std::size_t sizeInWords);

    // Access to any word or byte of the buffer (not only below the size).
    std::uint16_t word(std::size_t index) const;
    void setWord(std::size_t index, std::uint16_t value);
    std::uint8_t byte(std::size_t offset) const;
    void setByte(std::size_t offset, std::uint8_t value);

    // Every byte of the buffer to zero.
    void clear();

    // True when every word read from the device was 0xFFFF (or after erase).
    bool isBlank() const { return blank_; }

    // Reads words 0 .. size-1 (AD_EEPROM_READ_FAILED when a read fails).
    AD_STATUS readFromDevice(EepromDevice& device);
    // Writes words 0 .. size-1 (AD_EEPROM_WRITE_FAILED when a write fails).
    AD_STATUS writeToDevice(EepromDevice& device) const;
    // Reads the device again and compares every word below the size.
    bool verify(EepromDevice& device) const;
    // Erases the device (AD_EEPROM_ERASE_FAILED on failure).
    AD_STATUS erase(EepromDevice& device);

    // Writes the first 128 bytes to a file; true when all were written.
    bool saveToFile(const std::string& path) const;

  private:
    std::array<std::uint8_t, capacityInWords * 2> bytes_{};
    std::size_t sizeInWords_;
    bool blank_ = true;
};

} // namespace adapterdriver
