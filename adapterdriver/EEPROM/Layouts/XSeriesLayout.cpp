// The X-series layout, read through AD_EEPROM_Read and used for the user
// area: options in bytes 0, 10 and 11, the AD and AC pin groups in word 6,
// the I2C address and id in bytes 20 to 24, the CBUS pin functions in bytes
// 26 to 32, strings from byte 0xA0, checksum in word 127 over words 0-17 and
// 64-126. These chips are not programmed through AD_EE_Program.

#include "adapterdriver/EEPROM/Checksum.hpp"
#include "adapterdriver/EEPROM/EepromLayout.hpp"
#include "adapterdriver/EEPROM/Layouts/Layouts.hpp"
#include "adapterdriver/EEPROM/PinGroup.hpp"

namespace adapterdriver {

namespace {

constexpr std::size_t imageWords = 1024;
constexpr std::size_t checksumByte = 0xFE;
// The user area: at most 92 bytes behind the serial-number descriptor, then
// everything from byte 0x100 (behind the checksum word) to the end.
constexpr std::size_t firstPartLimit = 92;
constexpr std::size_t secondPartStart = 0x100;

class XSeriesLayout final : public EepromLayout {
  public:
    ImageGeometry readGeometry(const EepromImage& /*image*/) const override {
        return {imageWords, 127, true};
    }

    std::uint16_t checksum(const EepromImage& image, const ImageGeometry& /*geometry*/) const override {
        return xSeriesChecksum(image);
    }

    std::vector<UserAreaSegment> userArea(const EepromImage& image,
                                          const ImageGeometry& geometry) const override {
        const StringPlacement placement{true, geometry.imageWords * 2};
        std::size_t begin = stringStart();
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
    std::uint16_t bcdDevice(const AD_PROGRAM_DATA& /*record*/) const override { return 0x1000; }
    std::size_t stringStart() const override { return 0xA0; }
    std::size_t wordsRead() const override { return imageWords; }

    void encodeChip(const AD_PROGRAM_DATA& /*record*/, EepromImage& /*image*/) const override {}
    void decodeChip(const EepromImage& /*image*/, AD_PROGRAM_DATA& /*record*/) const override {}

    void decodeStructure(const EepromImage& image, void* structure) const override {
        updateStructure<AD_EEPROM_X_SERIES>(structure, [&](AD_EEPROM_X_SERIES& s) {
            const auto options = image.byte(0);
            s.BCDEnable = bit(options, 0);
            s.BCDForceCbusPWREN = bit(options, 1);
            s.BCDDisableSleep = bit(options, 2);
            s.RS485EchoSuppress = bit(options, 3);
            s.PowerSaveEnable = bit(options, 6);
            s.DriverType = bit(options, 7);
            const auto flags = image.byte(10);
            s.FT1248Cpol = bit(flags, 4);
            s.FT1248Lsb = bit(flags, 5);
            s.FT1248FlowControl = bit(flags, 6);
            s.I2CDisableSchmitt = bit(flags, 7);
            const auto inversions = image.byte(11);
            s.InvertTXD = bit(inversions, 0);
            s.InvertRXD = bit(inversions, 1);
            s.InvertRTS = bit(inversions, 2);
            s.InvertCTS = bit(inversions, 3);
            s.InvertDTR = bit(inversions, 4);
            s.InvertDSR = bit(inversions, 5);
            s.InvertDCD = bit(inversions, 6);
            s.InvertRI = bit(inversions, 7);
            const auto ad = decodePinGroup(pinGroupNibble(image.word(6), 0));
            const auto ac = decodePinGroup(pinGroupNibble(image.word(6), 1));
            s.ADSlowSlew = ad.slowSlew;
            s.ADSchmittInput = ad.schmittInput;
            s.ADDriveCurrent = ad.driveCurrent;
            s.ACSlowSlew = ac.slowSlew;
            s.ACSchmittInput = ac.schmittInput;
            s.ACDriveCurrent = ac.driveCurrent;
            s.I2CSlaveAddress = static_cast<std::uint16_t>(image.byte(20) | (image.byte(21) << 8));
            s.I2CDeviceId = static_cast<std::uint32_t>(image.byte(22)) |
                            (static_cast<std::uint32_t>(image.byte(23)) << 8) |
                            (static_cast<std::uint32_t>(image.byte(24)) << 16);
            std::uint8_t* const cbus[7] = {&s.Cbus0, &s.Cbus1, &s.Cbus2, &s.Cbus3,
                                           &s.Cbus4, &s.Cbus5, &s.Cbus6};
            for (std::size_t i = 0; i < 7; ++i) {
                *cbus[i] = image.byte(26 + i);
            }
        });
    }
};

} // namespace

std::unique_ptr<EepromLayout> makeXSeriesLayout() {
    return std::make_unique<XSeriesLayout>();
}

} // namespace adapterdriver
