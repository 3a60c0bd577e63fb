// The X-series layout, read through AD_EEPROM_Read and used for the user
// area: options in bytes 0, 10 and 11, the AD and AC pin groups in word 6,
// the I2C address and id in bytes 20 to 24, the CBUS pin functions in bytes
// 26 to 32, strings from byte 0xA0, checksum in word 127 over words 0-17 and
// 64-126. These chips are not programmed through AD_EE_Program.

#include "adapterdriver/EEPROM/Checksum.hpp"
#include "adapterdriver/EEPROM/EepromLayout.hpp"
#include "adapterdriver/EEPROM/Layouts/FieldMaps.hpp"
#include "adapterdriver/EEPROM/Layouts/Layouts.hpp"

namespace adapterdriver {

namespace {

constexpr std::size_t imageWords = 1024;
constexpr std::size_t checksumByte = 0xFE;
constexpr std::size_t cbusFirstByte = 26;
// The user area: at most 92 bytes behind the serial-number descriptor, then
// everything from byte 0x100 (behind the checksum word) to the end.
constexpr std::size_t firstPartLimit = 92;
constexpr std::size_t secondPartStart = 0x100;

class XSeriesLayout final : public EepromLayout {
  public:
    XSeriesLayout() : EepromLayout({.bcdDevice = 0x1000, .stringStart = 0xA0, .wordsRead = imageWords}) {}

    ImageGeometry readGeometry(const EepromImage& /*image*/) const override {
        return {imageWords, 127, true};
    }

    std::uint16_t checksum(const EepromImage& image, const ImageGeometry& /*geometry*/) const override {
        return xSeriesChecksum(image);
    }

    std::vector<UserAreaSegment> userArea(const EepromImage& image,
                                          const ImageGeometry& geometry) const override {
        const StringPlacement placement{true, geometry.imageWords * 2};
        std::size_t begin = traits().stringStart;
        for (const std::size_t offsetByte : {14, 16, 18}) {
            begin = std::max(begin, stringOffset(image, offsetByte, placement) + image.byte(offsetByte + 1));
        }
        begin = (begin + 1) & ~std::size_t{1};
        std::vector<UserAreaSegment> segments;
        if (begin < checksumByte) {
            segments.push_back({begin, std::min(checksumByte - begin, firstPartLimit)});
        }
        segments.push_back({secondPartStart, imageWords * 2 - secondPartStart});
        return segments;
    }

  protected:
    void encodeChip(const AD_PROGRAM_DATA& /*record*/, EepromImage& /*image*/) const override {}
    void decodeChip(const EepromImage& /*image*/, AD_PROGRAM_DATA& /*record*/) const override {}

    void decodeStructure(const EepromImage& image, void* structure) const override {
        updateStructure<AD_EEPROM_X_SERIES>(structure, [&](AD_EEPROM_X_SERIES& s) {
            unpackFlags(image.byte(0),
                        std::array{flagBit(s.BCDEnable, 0), flagBit(s.BCDForceCbusPWREN, 1),
                                   flagBit(s.BCDDisableSleep, 2), flagBit(s.RS485EchoSuppress, 3),
                                   flagBit(s.PowerSaveEnable, 6), flagBit(s.DriverType, 7)});
            unpackFlags(image.byte(10),
                        std::array{flagBit(s.FT1248Cpol, 4), flagBit(s.FT1248Lsb, 5),
                                   flagBit(s.FT1248FlowControl, 6), flagBit(s.I2CDisableSchmitt, 7)});
            unpackFlags(image.byte(11), lineInversionFlags(s));
            unpackPinGroups(image.word(6),
                            std::array{pinGroupFields(0, s.ADSlowSlew, s.ADSchmittInput, s.ADDriveCurrent),
                                       pinGroupFields(1, s.ACSlowSlew, s.ACSchmittInput, s.ACDriveCurrent)});
            s.I2CSlaveAddress = static_cast<std::uint16_t>(image.byte(20) | (image.byte(21) << 8));
            s.I2CDeviceId = static_cast<std::uint32_t>(image.byte(22)) |
                            (static_cast<std::uint32_t>(image.byte(23)) << 8) |
                            (static_cast<std::uint32_t>(image.byte(24)) << 16);
            const std::array cbus{&s.Cbus0, &s.Cbus1, &s.Cbus2, &s.Cbus3, &s.Cbus4, &s.Cbus5, &s.Cbus6};
            for (std::size_t i = 0; i < cbus.size(); ++i) {
                *cbus[i] = image.byte(cbusFirstByte + i);
            }
        });
    }
};

} // namespace

std::unique_ptr<EepromLayout> makeXSeriesLayout() {
    return std::make_unique<XSeriesLayout>();
}

} // namespace adapterdriver
