#pragma once
// What every chip's EEPROM layout shares: the common header words, the
// strings, the checksum, the programming and reading flows and the user area.
// One subclass per chip family fills in its own words (Layouts/). A layout
// object serves one call: what it learns from the device (size detection,
// words read before encoding) lives only as long as the object.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "adapterdriver/EEPROM/EepromDevice.hpp"
#include "adapterdriver/EEPROM/EepromImage.hpp"
#include "adapterdriver/EEPROM/SizeDetection.hpp"
#include "adapterdriver/EEPROM/StringDescriptors.hpp"
#include "adapterdriver/adapterdriver.h"

namespace adapterdriver {

// EEPROM type words.
constexpr std::uint16_t eepromType64Words = 0x0046;
constexpr std::uint16_t eepromType128Words = 0x0056;
constexpr std::uint16_t eepromType256Words = 0x0066;
constexpr std::uint16_t eepromTypeLarge232H = 0x5231;

// How many words an image has, where its checksum lies and whether its
// strings sit 128 bytes above the offsets' low 7 bits (a large part).
struct ImageGeometry {
    std::size_t imageWords = 64;
    std::size_t checksumWord = 63;
    bool stringsMoved = false;
};

// One contiguous run of user-area bytes in the image.
struct UserAreaSegment {
    std::size_t offset = 0;
    std::size_t length = 0;
};

// What sets a chip's layout apart beyond its own words.
struct LayoutTraits {
    std::uint16_t bcdDevice = 0;
    std::size_t stringStart = 0;
    // Words read from a device before decoding.
    std::size_t wordsRead = 64;
    // The word that holds the EEPROM type, on chips that store one.
    std::optional<std::size_t> typeWord = std::nullopt;
    // How the chips that store a type word find their EEPROM's size.
    std::optional<SizeProbe> sizeProbe = std::nullopt;
    // The type word stored when no size was detected.
    std::uint16_t defaultEepromType = eepromType64Words;
    // Whether 0x5231 also names a large part.
    bool acceptsLargeType5231 = false;
    // User bytes left at the string start when the strings move up.
    std::size_t vacatedUserBytes = 128;
};

class EepromLayout {
  public:
    explicit EepromLayout(const LayoutTraits& traits) : traits_(traits) {}
    virtual ~EepromLayout() = default;

    // Programs the record (current layout) with these strings: reads what the
    // chip needs first (size detection, ...), builds the image, erases,
    // writes and verifies.
    AD_STATUS program(EepromDevice& device, const AD_PROGRAM_DATA& record, const EepromStrings& strings);

    // The image a record programs on a part whose type word is eepromType
    // (0: no size detected). AD_INVALID_PARAMETER when the strings do not fit.
    AD_STATUS buildImage(const AD_PROGRAM_DATA& record, const EepromStrings& strings,
                         std::uint16_t eepromType, EepromImage& image) const;

    // Reads the device and decodes it into the record (current layout).
    AD_STATUS read(EepromDevice& device, AD_PROGRAM_DATA& record);

    // Reads the device into the chip's AD_EEPROM_Read structure. The string
    // buffers must hold the AD_EE_*_SIZE bytes.
    AD_STATUS readStructure(EepromDevice& device, void* structure, char* manufacturer, char* manufacturerId,
                            char* description, char* serialNumber);

    // The user area of the image in the device.
    AD_STATUS userAreaSize(EepromDevice& device, std::uint32_t& size);
    AD_STATUS writeUserArea(EepromDevice& device, const std::uint8_t* data, std::uint32_t length);
    AD_STATUS readUserArea(EepromDevice& device, std::uint8_t* buffer, std::uint32_t length,
                           std::uint32_t& bytesRead);

    // Where an image read from a device keeps its words, strings and user area.
    virtual ImageGeometry readGeometry(const EepromImage& image) const;
    virtual std::vector<UserAreaSegment> userArea(const EepromImage& image,
                                                  const ImageGeometry& geometry) const;
    virtual std::uint16_t checksum(const EepromImage& image, const ImageGeometry& geometry) const;

  protected:
    const LayoutTraits& traits() const { return traits_; }
    bool isLargeType(std::uint16_t type) const;

    // bcdDevice as the record programs it.
    virtual std::uint16_t bcdDevice(const AD_PROGRAM_DATA& /*record*/) const { return traits_.bcdDevice; }

    // Before encoding: size detection (chips with a size probe) or words the
    // image copies from the device. Sets the detected type (0: none).
    virtual AD_STATUS prepareProgramming(EepromDevice& device, std::uint16_t& eepromType);
    // After the image words were read: further words the chip reads.
    virtual AD_STATUS afterImageRead(EepromDevice& device);

    virtual void encodeChip(const AD_PROGRAM_DATA& record, EepromImage& image) const = 0;
    virtual void decodeChip(const EepromImage& image, AD_PROGRAM_DATA& record) const = 0;
    // Fills the chip's fields behind the AD_EEPROM_HEADER.
    virtual void decodeStructure(const EepromImage& image, void* structure) const = 0;

  private:
    LayoutTraits traits_;

    AD_STATUS readImage(EepromDevice& device, EepromImage& image, bool checkProgrammed);
    void relocateStrings(EepromImage& image) const;
};

// The strings a record programs: its own, with a generated serial number when
// it has none (prefix ManufacturerId, number ProductId mod 4).
EepromStrings programmingStrings(const AD_PROGRAM_DATA& record);

} // namespace adapterdriver
