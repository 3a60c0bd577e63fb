#include "adapterdriver/EEPROM/UserArea.hpp"

#include <algorithm>

namespace adapterdriver {

std::size_t userAreaLength(const std::vector<UserAreaSegment>& segments) {
    std::size_t length = 0;
    for (const auto& segment : segments) {
        length += segment.length;
    }
    return length;
}

void placeUserBytes(EepromImage& image, const std::vector<UserAreaSegment>& segments,
                    const std::uint8_t* data, std::size_t length) {
    std::size_t done = 0;
    for (const auto& segment : segments) {
        const auto count = std::min(segment.length, length - done);
        for (std::size_t i = 0; i < count; ++i) {
            image.setByte(segment.offset + i, data[done + i]);
        }
        done += count;
        if (done == length) {
            return;
        }
    }
}

std::size_t takeUserBytes(const EepromImage& image, const std::vector<UserAreaSegment>& segments,
                          std::uint8_t* buffer, std::size_t length) {
    std::size_t done = 0;
    for (const auto& segment : segments) {
        const auto count = std::min(segment.length, length - done);
        for (std::size_t i = 0; i < count; ++i) {
            buffer[done + i] = image.byte(segment.offset + i);
        }
        done += count;
        if (done == length) {
            break;
        }
    }
    return done;
}

} // namespace adapterdriver
