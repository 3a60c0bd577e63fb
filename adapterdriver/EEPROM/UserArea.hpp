#pragma once
// Moving caller bytes into and out of the user-area segments of an image.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "adapterdriver/EEPROM/EepromImage.hpp"
#include "adapterdriver/EEPROM/EepromLayout.hpp"

namespace adapterdriver {

std::size_t userAreaLength(const std::vector<UserAreaSegment>& segments);

// Places length bytes (at most the area's length) segment by segment.
void placeUserBytes(EepromImage& image, const std::vector<UserAreaSegment>& segments,
                    const std::uint8_t* data, std::size_t length);

// Copies min(length, area length) bytes out; returns that count.
std::size_t takeUserBytes(const EepromImage& image, const std::vector<UserAreaSegment>& segments,
                          std::uint8_t* buffer, std::size_t length);

} // namespace adapterdriver
