// The 232H layout: interface mode and FT1248 options in word 0, flags in word
// 5, the AC and AD pin groups in word 6, the CBUS pin functions in bytes 24 to
// 28, the EEPROM type in word 15, strings from byte 0x20 (0xA0 on a large
// part), checksum in word 127.

#include "adapterdriver/EEPROM/EepromLayout.hpp"
#include "adapterdriver/EEPROM/Layouts/Layouts.hpp"
#include "adapterdriver/EEPROM/PinGroup.hpp"
#include "adapterdriver/EEPROM/ProgramDataRecord.hpp"
#include "adapterdriver/EEPROM/SizeDetection.hpp"

namespace adapterdriver {

namespace {

constexpr std::size_t cbusFirstByte = 24;
constexpr std::size_t markerByte = 0x8A;
constexpr std::uint8_t markerValue = 0x48;

class Layout232H final : public EepromLayout {
  public:
    ImageGeometry readGeometry(const EepromImage& image) const override {
        if (isLargeType(image.word(15))) {
            return {128, 127, true};
        }
        return {64, 127, false};
    }

    // A 232H read as 64 words keeps its checksum in word 127, outside the
    // words written back; its strings fill the place where a user area would
    // start. Such a part has no user area.
    std::vector<UserAreaSegment> userArea(const EepromImage& image,
                                          const ImageGeometry& geometry) const override {
        if (!geometry.stringsMoved) {
            return {};
        }
        return EepromLayout::userArea(image, geometry);
    }

  protected:
    std::uint16_t bcdDevice(const AD_PROGRAM_DATA& /*record*/) const override { return 0x0900; }
    std::size_t stringStart() const override { return 0x20; }
    std::size_t wordsRead() const override { return 128; }
    std::optional<std::size_t> typeWordIndex() const override { return 15; }
    std::uint16_t defaultEepromType() const override { return eepromType128Words; }
    std::size_t vacatedUserBytes() const override { return 96; }

    bool isLargeType(std::uint16_t type) const override {
        return EepromLayout::isLargeType(type) || type == eepromTypeLarge232H;
    }

    AD_STATUS prepareProgramming(EepromDevice& device, std::uint16_t& eepromType) override {
        return detectEepromType(device, SizeProbe::upperWordsOnly, eepromType);
    }

    void encodeChip(const AD_PROGRAM_DATA& r, EepromImage& image) const override {
        // Only the first interface mode set is stored.
        unsigned mode = 0;
        if (r.IsFifoH != 0) {
            mode = 1;
        } else if (r.IsFifoTarH != 0) {
            mode = 2;
        } else if (r.IsFastSerH != 0) {
            mode = 4;
        } else if (r.IsFT1248H != 0) {
            mode = 8;
        }
        image.setWord(0, static_cast<std::uint16_t>(mode | flag(r.IsVCPH, 4) | flag(r.FT1248CpolH, 8) |
                                                    flag(r.FT1248LsbH, 9) | flag(r.FT1248FlowControlH, 10) |
                                                    flag(r.PowerSaveEnableH, 15)));
        image.setWord(5, static_cast<std::uint16_t>(flag(r.PullDownEnableH, 2) | flag(r.SerNumEnableH, 3)));
        image.setWord(6, static_cast<std::uint16_t>(
                             encodePinGroup({r.ACSlowSlewH, r.ACSchmittInputH, r.ACDriveCurrentH}) |
                             encodePinGroup({r.ADSlowSlewH, r.ADSchmittInputH, r.ADDriveCurrentH}) << 8));
        const std::uint8_t cbus[10] = {r.Cbus0H, r.Cbus1H, r.Cbus2H, r.Cbus3H, r.Cbus4H,
                                       r.Cbus5H, r.Cbus6H, r.Cbus7H, r.Cbus8H, r.Cbus9H};
        for (std::size_t pair = 0; pair < 5; ++pair) {
            image.setByte(cbusFirstByte + pair, static_cast<std::uint8_t>((cbus[pair * 2] & 0xF) |
                                                                          ((cbus[pair * 2 + 1] & 0xF) << 4)));
        }
        image.setByte(markerByte, markerValue);
    }

    void decodeChip(const EepromImage& image, AD_PROGRAM_DATA& r) const override {
        const auto powerSave = r.PowerSaveEnable;
        clearProgramDataVersions(r, 0, 4);
        r.PowerSaveEnable = powerSave;
        r.Version = 5;
        const auto modes = image.word(0);
        r.IsFifoH = bit(modes, 0);
        r.IsFifoTarH = bit(modes, 1);
        r.IsFastSerH = bit(modes, 2);
        r.IsFT1248H = bit(modes, 3);
        r.IsVCPH = bit(modes, 4);
        r.FT1248CpolH = bit(modes, 8);
        r.FT1248LsbH = bit(modes, 9);
        r.FT1248FlowControlH = bit(modes, 10);
        r.PowerSaveEnableH = bit(modes, 15);
        r.PullDownEnableH = bit(image.word(5), 2);
        r.SerNumEnableH = bit(image.word(5), 3);
        const auto ac = decodePinGroup(pinGroupNibble(image.word(6), 0));
        const auto ad = decodePinGroup(pinGroupNibble(image.word(6), 2));
        r.ACSlowSlewH = ac.slowSlew;
        r.ACSchmittInputH = ac.schmittInput;
        r.ACDriveCurrentH = ac.driveCurrent;
        r.ADSlowSlewH = ad.slowSlew;
        r.ADSchmittInputH = ad.schmittInput;
        r.ADDriveCurrentH = ad.driveCurrent;
        std::uint8_t* const cbus[10] = {&r.Cbus0H, &r.Cbus1H, &r.Cbus2H, &r.Cbus3H, &r.Cbus4H,
                                        &r.Cbus5H, &r.Cbus6H, &r.Cbus7H, &r.Cbus8H, &r.Cbus9H};
        decodeCbus(image, cbus);
    }

    void decodeStructure(const EepromImage& image, void* structure) const override {
        const auto modes = image.word(0);
        updateStructure<AD_EEPROM_232H>(structure, [&](AD_EEPROM_232H& s) {
            const auto ac = decodePinGroup(pinGroupNibble(image.word(6), 0));
            const auto ad = decodePinGroup(pinGroupNibble(image.word(6), 2));
            s.ACSlowSlew = ac.slowSlew;
            s.ACSchmittInput = ac.schmittInput;
            s.ACDriveCurrent = ac.driveCurrent;
            s.ADSlowSlew = ad.slowSlew;
            s.ADSchmittInput = ad.schmittInput;
            s.ADDriveCurrent = ad.driveCurrent;
            std::uint8_t* const cbus[10] = {&s.Cbus0, &s.Cbus1, &s.Cbus2, &s.Cbus3, &s.Cbus4,
                                            &s.Cbus5, &s.Cbus6, &s.Cbus7, &s.Cbus8, &s.Cbus9};
            decodeCbus(image, cbus);
            s.FT1248Cpol = bit(modes, 8);
            s.FT1248Lsb = bit(modes, 9);
            s.FT1248FlowControl = bit(modes, 10);
            s.IsFifo = bit(modes, 0);
            s.IsFifoTar = bit(modes, 1);
            s.IsFastSer = bit(modes, 2);
            s.IsFT1248 = bit(modes, 3);
            s.PowerSaveEnable = bit(modes, 15);
            s.DriverType = bit(modes, 4);
        });
    }

  private:
    static void decodeCbus(const EepromImage& image, std::uint8_t* const (&cbus)[10]) {
        for (std::size_t pair = 0; pair < 5; ++pair) {
            const auto value = image.byte(cbusFirstByte + pair);
            *cbus[pair * 2] = value & 0xF;
            *cbus[pair * 2 + 1] = value >> 4;
        }
    }
};

} // namespace

std::unique_ptr<EepromLayout> make232HLayout() {
    return std::make_unique<Layout232H>();
}

} // namespace adapterdriver
