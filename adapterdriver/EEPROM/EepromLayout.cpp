#include "adapterdriver/EEPROM/EepromLayout.hpp"

#include <algorithm>
#include <cstring>

#include "adapterdriver/EEPROM/Checksum.hpp"
#include "adapterdriver/EEPROM/SerialNumberGenerator.hpp"
#include "adapterdriver/EEPROM/UserArea.hpp"

namespace adapterdriver {

namespace {

constexpr std::uint8_t attributesBase = 0x80;
constexpr std::uint8_t attributeSelfPowered = 0x40;
constexpr std::uint8_t attributeRemoteWakeup = 0x20;
constexpr std::uint16_t maximumPower = 500;

std::string textOrEmpty(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}

ImageGeometry programGeometry(bool large) {
    return large ? ImageGeometry{128, 127, true} : ImageGeometry{64, 63, false};
}

} // namespace

EepromStrings programmingStrings(const AD_PROGRAM_DATA& record) {
    EepromStrings strings{textOrEmpty(record.Manufacturer), textOrEmpty(record.Description),
                          textOrEmpty(record.SerialNumber)};
    if (strings.serialNumber.empty()) {
        strings.serialNumber = generateSerialNumber(textOrEmpty(record.ManufacturerId),
                                                    static_cast<std::uint16_t>(record.ProductId % 4));
    }
    return strings;
}

bool EepromLayout::isLargeType(std::uint16_t type) const {
    return type == eepromType128Words || type == eepromType256Words ||
           (traits_.acceptsLargeType5231 && type == eepromTypeLarge232H);
}

AD_STATUS EepromLayout::prepareProgramming(EepromDevice& device, std::uint16_t& eepromType) {
    eepromType = 0;
    if (traits_.sizeProbe) {
        return detectEepromType(device, *traits_.sizeProbe, eepromType);
    }
    return AD_OK;
}

AD_STATUS EepromLayout::afterImageRead(EepromDevice& /*device*/) {
    return AD_OK;
}

AD_STATUS EepromLayout::program(EepromDevice& device, const AD_PROGRAM_DATA& record,
                                const EepromStrings& strings) {
    std::uint16_t eepromType = 0;
    if (const auto status = prepareProgramming(device, eepromType); status != AD_OK) {
        return status;
    }
    EepromImage image;
    if (const auto status = buildImage(record, strings, eepromType, image); status != AD_OK) {
        return status;
    }
    if (const auto status = image.erase(device); status != AD_OK) {
        return status;
    }
    if (const auto status = image.writeToDevice(device); status != AD_OK) {
        return status;
    }
    return image.verify(device) ? AD_OK : AD_EEPROM_WRITE_FAILED;
}

AD_STATUS EepromLayout::buildImage(const AD_PROGRAM_DATA& record, const EepromStrings& strings,
                                   std::uint16_t eepromType, EepromImage& image) const {
    const auto typeWord = traits_.typeWord;
    if (typeWord && eepromType == 0) {
        eepromType = traits_.defaultEepromType;
    }
    // The strings lie where a reader of the stored type word looks for them:
    // moved up on a large part, including a 232H whose size was not detected.
    const auto geometry = programGeometry(typeWord && isLargeType(eepromType));

    image.clear();
    image.resize(geometry.imageWords);
    image.setWord(1, record.VendorId);
    image.setWord(2, record.ProductId);
    image.setWord(3, bcdDevice(record));
    image.setByte(8, static_cast<std::uint8_t>(attributesBase |
                                               (record.SelfPowered != 0 ? attributeSelfPowered : 0) |
                                               (record.RemoteWakeup != 0 ? attributeRemoteWakeup : 0)));
    image.setByte(9, static_cast<std::uint8_t>(std::min(record.MaxPower, maximumPower) / 2));
    encodeChip(record, image);
    if (typeWord) {
        image.setWord(*typeWord, eepromType);
    }
    if (!writeStringArea(image, traits_.stringStart, strings, record.PnP)) {
        return AD_INVALID_PARAMETER;
    }
    if (geometry.stringsMoved) {
        relocateStrings(image);
    }
    image.setWord(geometry.checksumWord, checksum(image, geometry));
    return AD_OK;
}

void EepromLayout::relocateStrings(EepromImage& image) const {
    for (std::size_t offset = traits_.stringStart; offset < 128; ++offset) {
        image.setByte(offset + 128, image.byte(offset));
        image.setByte(offset, 0);
    }
}

AD_STATUS EepromLayout::readImage(EepromDevice& device, EepromImage& image, bool checkProgrammed) {
    image.resize(traits_.wordsRead);
    if (const auto status = image.readFromDevice(device); status != AD_OK) {
        return status;
    }
    if (const auto status = afterImageRead(device); status != AD_OK) {
        return status;
    }
    if (checkProgrammed) {
        if (image.word(1) == 0) {
            return AD_EEPROM_NOT_PRESENT;
        }
        if (image.word(1) == 0xFFFF) {
            return AD_EEPROM_NOT_PROGRAMMED;
        }
    }
    return AD_OK;
}

ImageGeometry EepromLayout::readGeometry(const EepromImage& image) const {
    const auto typeWord = traits_.typeWord;
    if (typeWord && isLargeType(image.word(*typeWord))) {
        return {128, 127, true};
    }
    return {64, 63, false};
}

std::uint16_t EepromLayout::checksum(const EepromImage& image, const ImageGeometry& geometry) const {
    return eepromChecksum(image, geometry.checksumWord);
}

AD_STATUS EepromLayout::read(EepromDevice& device, AD_PROGRAM_DATA& record) {
    EepromImage image;
    if (const auto status = readImage(device, image, true); status != AD_OK) {
        return status;
    }
    const auto geometry = readGeometry(image);
    const StringPlacement placement{geometry.stringsMoved, geometry.imageWords * 2};

    record.VendorId = image.word(1);
    record.ProductId = image.word(2);
    record.MaxPower = static_cast<std::uint16_t>(image.byte(9) * 2);
    record.SelfPowered = (image.byte(8) & attributeSelfPowered) != 0 ? 1 : 0;
    record.RemoteWakeup = (image.byte(8) & attributeRemoteWakeup) != 0 ? 1 : 0;
    record.PnP = readPnP(image, placement);
    const auto strings = readStrings(image, placement);
    copyToBuffer(strings.manufacturer, record.Manufacturer, AD_EE_MANUFACTURER_SIZE);
    copyToBuffer(strings.serialNumber.substr(0, 2), record.ManufacturerId, AD_EE_MANUFACTURER_ID_SIZE);
    copyToBuffer(strings.description, record.Description, AD_EE_DESCRIPTION_SIZE);
    copyToBuffer(strings.serialNumber, record.SerialNumber, AD_EE_SERIAL_NUMBER_SIZE);
    decodeChip(image, record);
    return AD_OK;
}

AD_STATUS EepromLayout::readStructure(EepromDevice& device, void* structure, char* manufacturer,
                                      char* manufacturerId, char* description, char* serialNumber) {
    EepromImage image;
    if (const auto status = readImage(device, image, true); status != AD_OK) {
        return status;
    }
    const auto geometry = readGeometry(image);
    const StringPlacement placement{geometry.stringsMoved, geometry.imageWords * 2};

    AD_EEPROM_HEADER header{};
    std::memcpy(&header, structure, sizeof(header));
    header.VendorId = image.word(1);
    header.ProductId = image.word(2);
    header.SerNumEnable = (image.byte(10) >> 3) & 1u;
    header.PullDownEnable = (image.byte(10) >> 2) & 1u;
    header.MaxPower = static_cast<std::uint16_t>(image.byte(9) * 2);
    header.SelfPowered = (image.byte(8) & attributeSelfPowered) != 0 ? 1 : 0;
    header.RemoteWakeup = (image.byte(8) & attributeRemoteWakeup) != 0 ? 1 : 0;
    std::memcpy(structure, &header, sizeof(header));
    decodeStructure(image, structure);

    const auto strings = readStrings(image, placement);
    copyToBuffer(strings.manufacturer, manufacturer, AD_EE_MANUFACTURER_SIZE);
    copyToBuffer(strings.serialNumber.substr(0, 2), manufacturerId, AD_EE_MANUFACTURER_ID_SIZE);
    copyToBuffer(strings.description, description, AD_EE_DESCRIPTION_SIZE);
    copyToBuffer(strings.serialNumber, serialNumber, AD_EE_SERIAL_NUMBER_SIZE);
    return AD_OK;
}

std::vector<UserAreaSegment> EepromLayout::userArea(const EepromImage& image,
                                                    const ImageGeometry& geometry) const {
    const StringPlacement placement{geometry.stringsMoved, geometry.imageWords * 2};
    const std::size_t stringsBegin = traits_.stringStart + (geometry.stringsMoved ? 128 : 0);
    std::vector<UserAreaSegment> segments;
    if (geometry.stringsMoved) {
        segments.push_back({traits_.stringStart, traits_.vacatedUserBytes});
    }
    // Behind the last string, the empty descriptor and the PnP word; never
    // before the string start, whatever the offsets of a damaged image say.
    std::size_t stringsEnd = stringsBegin;
    for (const std::size_t offsetByte : {14, 16, 18}) {
        stringsEnd =
            std::max(stringsEnd, stringOffset(image, offsetByte, placement) + image.byte(offsetByte + 1));
    }
    const std::size_t begin = stringsEnd + 4;
    const std::size_t end = std::min(geometry.checksumWord, geometry.imageWords) * 2;
    if (begin < end) {
        segments.push_back({begin, end - begin});
    }
    return segments;
}

AD_STATUS EepromLayout::userAreaSize(EepromDevice& device, std::uint32_t& size) {
    EepromImage image;
    if (const auto status = readImage(device, image, false); status != AD_OK) {
        return status;
    }
    size = static_cast<std::uint32_t>(userAreaLength(userArea(image, readGeometry(image))));
    return AD_OK;
}

AD_STATUS EepromLayout::writeUserArea(EepromDevice& device, const std::uint8_t* data, std::uint32_t length) {
    EepromImage image;
    if (const auto status = readImage(device, image, false); status != AD_OK) {
        return status;
    }
    const auto geometry = readGeometry(image);
    const auto segments = userArea(image, geometry);
    if (length > userAreaLength(segments)) {
        return AD_EEPROM_WRITE_FAILED;
    }
    if (length == 0) {
        return AD_OK;
    }
    placeUserBytes(image, segments, data, length);
    image.resize(geometry.imageWords);
    image.setWord(geometry.checksumWord, checksum(image, geometry));
    if (const auto status = image.erase(device); status != AD_OK) {
        return status;
    }
    if (const auto status = image.writeToDevice(device); status != AD_OK) {
        return status;
    }
    return image.verify(device) ? AD_OK : AD_EEPROM_WRITE_FAILED;
}

AD_STATUS EepromLayout::readUserArea(EepromDevice& device, std::uint8_t* buffer, std::uint32_t length,
                                     std::uint32_t& bytesRead) {
    bytesRead = 0;
    EepromImage image;
    if (const auto status = readImage(device, image, false); status != AD_OK) {
        return status;
    }
    bytesRead = static_cast<std::uint32_t>(
        takeUserBytes(image, userArea(image, readGeometry(image)), buffer, length));
    return AD_OK;
}

} // namespace adapterdriver
