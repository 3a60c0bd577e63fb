// The 2232H layout: interface modes in word 0, flags in word 5, the pin
// groups AL, AH, BL, BH in word 6, the EEPROM type in word 12, strings from
// byte 0x1A. The power-save bit (word 0 bit 15) is reported only by
// AD_EEPROM_Read.

#include "adapterdriver/EEPROM/EepromLayout.hpp"
#include "adapterdriver/EEPROM/Layouts/Layouts.hpp"
#include "adapterdriver/EEPROM/PinGroup.hpp"
#include "adapterdriver/EEPROM/ProgramDataRecord.hpp"
#include "adapterdriver/EEPROM/SizeDetection.hpp"

namespace adapterdriver {

namespace {

class Layout2232H final : public EepromLayout {
  protected:
    std::uint16_t bcdDevice(const AD_PROGRAM_DATA& /*record*/) const override { return 0x0700; }
    std::size_t stringStart() const override { return 0x1A; }
    std::size_t wordsRead() const override { return 128; }
    std::optional<std::size_t> typeWordIndex() const override { return 12; }

    AD_STATUS prepareProgramming(EepromDevice& device, std::uint16_t& eepromType) override {
        return detectEepromType(device, SizeProbe::wordZeroFirst, eepromType);
    }

    void encodeChip(const AD_PROGRAM_DATA& r, EepromImage& image) const override {
        image.setWord(0, static_cast<std::uint16_t>(flag(r.IFAIsFifo7, 0) | flag(r.IFAIsFifoTar7, 1) |
                                                    flag(r.IFAIsFastSer7, 2) | flag(r.AIsVCP7, 3) |
                                                    flag(r.IFBIsFifo7, 8) | flag(r.IFBIsFifoTar7, 9) |
                                                    flag(r.IFBIsFastSer7, 10) | flag(r.BIsVCP7, 11)));
        image.setWord(5, static_cast<std::uint16_t>(flag(r.PullDownEnable7, 2) | flag(r.SerNumEnable7, 3)));
        image.setWord(6, static_cast<std::uint16_t>(
                             encodePinGroup({r.ALSlowSlew, r.ALSchmittInput, r.ALDriveCurrent}) |
                             encodePinGroup({r.AHSlowSlew, r.AHSchmittInput, r.AHDriveCurrent}) << 4 |
                             encodePinGroup({r.BLSlowSlew, r.BLSchmittInput, r.BLDriveCurrent}) << 8 |
                             encodePinGroup({r.BHSlowSlew, r.BHSchmittInput, r.BHDriveCurrent}) << 12));
    }

    void decodeChip(const EepromImage& image, AD_PROGRAM_DATA& r) const override {
        clearProgramDataVersions(r, 0, 2);
        r.Version = 3;
        const auto modes = image.word(0);
        r.IFAIsFifo7 = bit(modes, 0);
        r.IFAIsFifoTar7 = bit(modes, 1);
        r.IFAIsFastSer7 = bit(modes, 2);
        r.AIsVCP7 = bit(modes, 3);
        r.IFBIsFifo7 = bit(modes, 8);
        r.IFBIsFifoTar7 = bit(modes, 9);
        r.IFBIsFastSer7 = bit(modes, 10);
        r.BIsVCP7 = bit(modes, 11);
        r.PullDownEnable7 = bit(image.word(5), 2);
        r.SerNumEnable7 = bit(image.word(5), 3);
        const auto pins = image.word(6);
        const auto al = decodePinGroup(pinGroupNibble(pins, 0));
        const auto ah = decodePinGroup(pinGroupNibble(pins, 1));
        const auto bl = decodePinGroup(pinGroupNibble(pins, 2));
        const auto bh = decodePinGroup(pinGroupNibble(pins, 3));
        r.ALSlowSlew = al.slowSlew;
        r.ALSchmittInput = al.schmittInput;
        r.ALDriveCurrent = al.driveCurrent;
        r.AHSlowSlew = ah.slowSlew;
        r.AHSchmittInput = ah.schmittInput;
        r.AHDriveCurrent = ah.driveCurrent;
        r.BLSlowSlew = bl.slowSlew;
        r.BLSchmittInput = bl.schmittInput;
        r.BLDriveCurrent = bl.driveCurrent;
        r.BHSlowSlew = bh.slowSlew;
        r.BHSchmittInput = bh.schmittInput;
        r.BHDriveCurrent = bh.driveCurrent;
    }

    void decodeStructure(const EepromImage& image, void* structure) const override {
        const auto modes = image.word(0);
        const auto pins = image.word(6);
        updateStructure<AD_EEPROM_2232H>(structure, [&](AD_EEPROM_2232H& s) {
            const auto al = decodePinGroup(pinGroupNibble(pins, 0));
            const auto ah = decodePinGroup(pinGroupNibble(pins, 1));
            const auto bl = decodePinGroup(pinGroupNibble(pins, 2));
            const auto bh = decodePinGroup(pinGroupNibble(pins, 3));
            s.ALSlowSlew = al.slowSlew;
            s.ALSchmittInput = al.schmittInput;
            s.ALDriveCurrent = al.driveCurrent;
            s.AHSlowSlew = ah.slowSlew;
            s.AHSchmittInput = ah.schmittInput;
            s.AHDriveCurrent = ah.driveCurrent;
            s.BLSlowSlew = bl.slowSlew;
            s.BLSchmittInput = bl.schmittInput;
            s.BLDriveCurrent = bl.driveCurrent;
            s.BHSlowSlew = bh.slowSlew;
            s.BHSchmittInput = bh.schmittInput;
            s.BHDriveCurrent = bh.driveCurrent;
            s.AIsFifo = bit(modes, 0);
            s.AIsFifoTar = bit(modes, 1);
            s.AIsFastSer = bit(modes, 2);
            s.BIsFifo = bit(modes, 8);
            s.BIsFifoTar = bit(modes, 9);
            s.BIsFastSer = bit(modes, 10);
            s.PowerSaveEnable = bit(modes, 15);
            s.ADriverType = bit(modes, 3);
            s.BDriverType = bit(modes, 11);
        });
    }
};

} // namespace

std::unique_ptr<EepromLayout> make2232HLayout() {
    return std::make_unique<Layout2232H>();
}

} // namespace adapterdriver
