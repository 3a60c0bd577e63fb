#include "adapterdriver/EEPROM/StringDescriptors.hpp"

#include <algorithm>
#include <array>
#include <cstring>

namespace adapterdriver {

namespace {

constexpr std::uint8_t stringDescriptorType = 3;

std::size_t descriptorLength(const std::string& text) {
    return (text.size() + 1) * 2;
}

} // namespace

std::optional<std::size_t> writeStringArea(EepromImage& image, std::size_t stringStart,
                                           const EepromStrings& strings, std::uint16_t pnp) {
    const std::array<const std::string*, 3> texts{&strings.manufacturer, &strings.description,
                                                  &strings.serialNumber};
    std::size_t end = stringStart;
    for (const auto* text : texts) {
        end += descriptorLength(*text);
    }
    end += 4; // the empty descriptor and the PnP word
    if (end > stringAreaLimit) {
        return std::nullopt;
    }

    std::size_t position = stringStart;
    std::size_t offsetByte = 14;
    for (const auto* text : texts) {
        const auto length = descriptorLength(*text);
        image.setByte(offsetByte, static_cast<std::uint8_t>(position | 0x80));
        image.setByte(offsetByte + 1, static_cast<std::uint8_t>(length));
        image.setByte(position, static_cast<std::uint8_t>(length));
        image.setByte(position + 1, stringDescriptorType);
        for (std::size_t i = 0; i < text->size(); ++i) {
            image.setByte(position + 2 + i * 2, static_cast<std::uint8_t>((*text)[i]));
            image.setByte(position + 3 + i * 2, 0);
        }
        position += length;
        offsetByte += 2;
    }
    image.setByte(position, 0x02);
    image.setByte(position + 1, stringDescriptorType);
    image.setWord((position + 2) / 2, pnp == 0 ? 1 : 0);
    return end;
}

std::size_t stringOffset(const EepromImage& image, std::size_t offsetByte, const StringPlacement& placement) {
    return (image.byte(offsetByte) & 0x7Fu) + (placement.moved ? 128u : 0u);
}

std::string readString(const EepromImage& image, std::size_t offsetByte, const StringPlacement& placement) {
    const auto offset = stringOffset(image, offsetByte, placement);
    const std::size_t length = image.byte(offsetByte + 1);
    const std::size_t characters = length >= 2 ? length / 2 - 1 : 0;
    std::string text;
    for (std::size_t i = 0; i < characters; ++i) {
        const auto position = offset + 2 + i * 2;
        if (position >= placement.imageBytes) {
            break;
        }
        text.push_back(static_cast<char>(image.byte(position)));
    }
    return text;
}

EepromStrings readStrings(const EepromImage& image, const StringPlacement& placement) {
    return {readString(image, 14, placement), readString(image, 16, placement),
            readString(image, 18, placement)};
}

std::size_t serialNumberEnd(const EepromImage& image, const StringPlacement& placement) {
    return stringOffset(image, 18, placement) + image.byte(19);
}

std::uint16_t readPnP(const EepromImage& image, const StringPlacement& placement) {
    const auto position = serialNumberEnd(image, placement) + 2;
    if (position + 1 >= placement.imageBytes) {
        return 0;
    }
    const auto word = static_cast<std::uint16_t>(image.byte(position) | (image.byte(position + 1) << 8));
    return word == 0 ? 1 : 0;
}

void copyToBuffer(const std::string& text, char* buffer, std::size_t bufferSize) {
    if (buffer == nullptr || bufferSize == 0) {
        return;
    }
    const auto count = std::min(text.size(), bufferSize - 1);
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
}

} // namespace adapterdriver
