#include "adapterdriver/EEPROM/EepromImage.hpp"

#include <cassert>
#include <cstdio>
#include <memory>

namespace adapterdriver {

EepromImage::EepromImage(std::size_t sizeInWords) : sizeInWords_(0) {
    bytes_.fill(0xFF);
    resize(sizeInWords);
}

void EepromImage::resize(std::size_t sizeInWords) {
    assert(sizeInWords <= capacityInWords);
    sizeInWords_ = sizeInWords < capacityInWords ? sizeInWords : capacityInWords;
}

std::uint16_t EepromImage::word(std::size_t index) const {
    return static_cast<std::uint16_t>(byte(index * 2) | (byte(index * 2 + 1) << 8));
}

void EepromImage::setWord(std::size_t index, std::uint16_t value) {
    setByte(index * 2, static_cast<std::uint8_t>(value & 0xFF));
    setByte(index * 2 + 1, static_cast<std::uint8_t>(value >> 8));
}

std::uint8_t EepromImage::byte(std::size_t offset) const {
    // Callers stay inside the buffer; outside it reads as erased.
    assert(offset < bytes_.size());
    return offset < bytes_.size() ? bytes_[offset] : 0xFF;
}

void EepromImage::setByte(std::size_t offset, std::uint8_t value) {
    assert(offset < bytes_.size());
    if (offset < bytes_.size()) {
        bytes_[offset] = value;
    }
}

void EepromImage::clear() {
    bytes_.fill(0);
}

AD_STATUS EepromImage::readFromDevice(EepromDevice& device) {
    blank_ = true;
    for (std::size_t index = 0; index < sizeInWords_; ++index) {
        std::uint16_t value = 0;
        if (device.readWord(static_cast<std::uint32_t>(index), value) != AD_OK) {
            return AD_EEPROM_READ_FAILED;
        }
        setWord(index, value);
        if (value != 0xFFFF) {
            blank_ = false;
        }
    }
    return AD_OK;
}

AD_STATUS EepromImage::writeToDevice(EepromDevice& device) const {
    for (std::size_t index = 0; index < sizeInWords_; ++index) {
        if (device.writeWord(static_cast<std::uint32_t>(index), word(index)) != AD_OK) {
            return AD_EEPROM_WRITE_FAILED;
        }
    }
    return AD_OK;
}

bool EepromImage::verify(EepromDevice& device) const {
    for (std::size_t index = 0; index < sizeInWords_; ++index) {
        std::uint16_t value = 0;
        if (device.readWord(static_cast<std::uint32_t>(index), value) != AD_OK || value != word(index)) {
            return false;
        }
    }
    return true;
}

AD_STATUS EepromImage::erase(EepromDevice& device) {
    if (device.erase() != AD_OK) {
        return AD_EEPROM_ERASE_FAILED;
    }
    blank_ = true;
    return AD_OK;
}

bool EepromImage::saveToFile(const std::string& path) const {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file) {
        return false;
    }
    return std::fwrite(bytes_.data(), 1, 128, file.get()) == 128;
}

} // namespace adapterdriver
