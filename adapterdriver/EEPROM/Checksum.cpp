#include "adapterdriver/EEPROM/Checksum.hpp"

namespace adapterdriver {

namespace {

std::uint16_t accumulate(std::uint16_t checksum, const EepromImage& image, std::size_t first,
                         std::size_t end) {
    for (std::size_t index = first; index < end; ++index) {
        checksum = static_cast<std::uint16_t>(checksum ^ image.word(index));
        checksum = static_cast<std::uint16_t>((checksum << 1) | (checksum >> 15));
    }
    return checksum;
}

} // namespace

std::uint16_t eepromChecksum(const EepromImage& image, std::size_t checksumWord) {
    return accumulate(0xAAAA, image, 0, checksumWord);
}

std::uint16_t xSeriesChecksum(const EepromImage& image) {
    return accumulate(accumulate(0xAAAA, image, 0, 18), image, 64, 127);
}

} // namespace adapterdriver
