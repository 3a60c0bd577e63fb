// The 4232H layout: the VCP flags of channels A, C, B, D in word 0 (bits 3,
// 7, 11, 15), flags and the RI-as-TXDEN bits in word 5, the pin groups A, B,
// C, D in word 6, the EEPROM type in word 12, strings from byte 0x1A.

#include "adapterdriver/EEPROM/EepromLayout.hpp"
#include "adapterdriver/EEPROM/Layouts/Layouts.hpp"
#include "adapterdriver/EEPROM/PinGroup.hpp"
#include "adapterdriver/EEPROM/ProgramDataRecord.hpp"
#include "adapterdriver/EEPROM/SizeDetection.hpp"

namespace adapterdriver {

namespace {

class Layout4232H final : public EepromLayout {
  protected:
    std::uint16_t bcdDevice(const AD_PROGRAM_DATA& /*record*/) const override { return 0x0800; }
    std::size_t stringStart() const override { return 0x1A; }
    std::size_t wordsRead() const override { return 128; }
    std::optional<std::size_t> typeWordIndex() const override { return 12; }

    AD_STATUS prepareProgramming(EepromDevice& device, std::uint16_t& eepromType) override {
        return detectEepromType(device, SizeProbe::wordZeroFirst, eepromType);
    }

    void encodeChip(const AD_PROGRAM_DATA& r, EepromImage& image) const override {
        image.setWord(0, static_cast<std::uint16_t>(flag(r.AIsVCP8, 3) | flag(r.CIsVCP8, 7) |
                                                    flag(r.BIsVCP8, 11) | flag(r.DIsVCP8, 15)));
        image.setWord(5, static_cast<std::uint16_t>(flag(r.PullDownEnable8, 2) | flag(r.SerNumEnable8, 3) |
                                                    flag(r.ARIIsTXDEN, 12) | flag(r.BRIIsTXDEN, 13) |
                                                    flag(r.CRIIsTXDEN, 14) | flag(r.DRIIsTXDEN, 15)));
        image.setWord(6, static_cast<std::uint16_t>(
                             encodePinGroup({r.ASlowSlew, r.ASchmittInput, r.ADriveCurrent}) |
                             encodePinGroup({r.BSlowSlew, r.BSchmittInput, r.BDriveCurrent}) << 4 |
                             encodePinGroup({r.CSlowSlew, r.CSchmittInput, r.CDriveCurrent}) << 8 |
                             encodePinGroup({r.DSlowSlew, r.DSchmittInput, r.DDriveCurrent}) << 12));
    }

    void decodeChip(const EepromImage& image, AD_PROGRAM_DATA& r) const override {
        const auto powerSave = r.PowerSaveEnable;
        clearProgramDataVersions(r, 0, 3);
        r.PowerSaveEnable = powerSave;
        r.Version = 4;
        const auto modes = image.word(0);
        r.AIsVCP8 = bit(modes, 3);
        r.CIsVCP8 = bit(modes, 7);
        r.BIsVCP8 = bit(modes, 11);
        r.DIsVCP8 = bit(modes, 15);
        const auto flags = image.word(5);
        r.PullDownEnable8 = bit(flags, 2);
        r.SerNumEnable8 = bit(flags, 3);
        r.ARIIsTXDEN = bit(flags, 12);
        r.BRIIsTXDEN = bit(flags, 13);
        r.CRIIsTXDEN = bit(flags, 14);
        r.DRIIsTXDEN = bit(flags, 15);
        const auto pins = image.word(6);
        const auto a = decodePinGroup(pinGroupNibble(pins, 0));
        const auto b = decodePinGroup(pinGroupNibble(pins, 1));
        const auto c = decodePinGroup(pinGroupNibble(pins, 2));
        const auto d = decodePinGroup(pinGroupNibble(pins, 3));
        r.ASlowSlew = a.slowSlew;
        r.ASchmittInput = a.schmittInput;
        r.ADriveCurrent = a.driveCurrent;
        r.BSlowSlew = b.slowSlew;
        r.BSchmittInput = b.schmittInput;
        r.BDriveCurrent = b.driveCurrent;
        r.CSlowSlew = c.slowSlew;
        r.CSchmittInput = c.schmittInput;
        r.CDriveCurrent = c.driveCurrent;
        r.DSlowSlew = d.slowSlew;
        r.DSchmittInput = d.schmittInput;
        r.DDriveCurrent = d.driveCurrent;
    }

    void decodeStructure(const EepromImage& image, void* structure) const override {
        const auto modes = image.word(0);
        const auto flags = image.word(5);
        const auto pins = image.word(6);
        updateStructure<AD_EEPROM_4232H>(structure, [&](AD_EEPROM_4232H& s) {
            const auto a = decodePinGroup(pinGroupNibble(pins, 0));
            const auto b = decodePinGroup(pinGroupNibble(pins, 1));
            const auto c = decodePinGroup(pinGroupNibble(pins, 2));
            const auto d = decodePinGroup(pinGroupNibble(pins, 3));
            s.ASlowSlew = a.slowSlew;
            s.ASchmittInput = a.schmittInput;
            s.ADriveCurrent = a.driveCurrent;
            s.BSlowSlew = b.slowSlew;
            s.BSchmittInput = b.schmittInput;
            s.BDriveCurrent = b.driveCurrent;
            s.CSlowSlew = c.slowSlew;
            s.CSchmittInput = c.schmittInput;
            s.CDriveCurrent = c.driveCurrent;
            s.DSlowSlew = d.slowSlew;
            s.DSchmittInput = d.schmittInput;
            s.DDriveCurrent = d.driveCurrent;
            s.ARIIsTXDEN = bit(flags, 12);
            s.BRIIsTXDEN = bit(flags, 13);
            s.CRIIsTXDEN = bit(flags, 14);
            s.DRIIsTXDEN = bit(flags, 15);
            s.ADriverType = bit(modes, 3);
            s.BDriverType = bit(modes, 11);
            s.CDriverType = bit(modes, 7);
            s.DDriverType = bit(modes, 15);
        });
    }
};

} // namespace

std::unique_ptr<EepromLayout> make4232HLayout() {
    return std::make_unique<Layout4232H>();
}

} // namespace adapterdriver
