// The 2232C layout: interface modes in word 0 (A in the low byte, B in the
// high byte), flags in word 5, the USB version in word 6, the EEPROM type in
// word 10, strings from byte 0x16.

#include "adapterdriver/EEPROM/EepromLayout.hpp"
#include "adapterdriver/EEPROM/Layouts/Layouts.hpp"
#include "adapterdriver/EEPROM/PinGroup.hpp"
#include "adapterdriver/EEPROM/ProgramDataRecord.hpp"
#include "adapterdriver/EEPROM/SizeDetection.hpp"

namespace adapterdriver {

namespace {

class Layout2232C final : public EepromLayout {
  protected:
    std::uint16_t bcdDevice(const AD_PROGRAM_DATA& /*record*/) const override { return 0x0500; }
    std::size_t stringStart() const override { return 0x16; }
    std::size_t wordsRead() const override { return 128; }
    std::optional<std::size_t> typeWordIndex() const override { return 10; }

    AD_STATUS prepareProgramming(EepromDevice& device, std::uint16_t& eepromType) override {
        return detectEepromType(device, SizeProbe::wordZeroFirst, eepromType);
    }

    void encodeChip(const AD_PROGRAM_DATA& r, EepromImage& image) const override {
        image.setWord(0, static_cast<std::uint16_t>(flag(r.IFAIsFifo, 0) | flag(r.IFAIsFifoTar, 1) |
                                                    flag(r.IFAIsFastSer, 2) | flag(r.AIsVCP, 3) |
                                                    flag(r.AIsHighCurrent, 4) | flag(r.IFBIsFifo, 8) |
                                                    flag(r.IFBIsFifoTar, 9) | flag(r.IFBIsFastSer, 10) |
                                                    flag(r.BIsVCP, 11) | flag(r.BIsHighCurrent, 12)));
        // The isochronous flags are always programmed as 0.
        image.setWord(5, static_cast<std::uint16_t>(flag(r.PullDownEnable5, 2) | flag(r.SerNumEnable5, 3) |
                                                    flag(r.USBVersionEnable5, 4)));
        image.setWord(6, r.USBVersion5);
    }

    void decodeChip(const EepromImage& image, AD_PROGRAM_DATA& r) const override {
        clearProgramDataVersions(r, 0, 0);
        r.Version = 1;
        r.Rev5 = 1;
        const auto modes = image.word(0);
        r.IFAIsFifo = bit(modes, 0);
        r.IFAIsFifoTar = bit(modes, 1);
        r.IFAIsFastSer = bit(modes, 2);
        r.AIsVCP = bit(modes, 3);
        r.AIsHighCurrent = bit(modes, 4);
        r.IFBIsFifo = bit(modes, 8);
        r.IFBIsFifoTar = bit(modes, 9);
        r.IFBIsFastSer = bit(modes, 10);
        r.BIsVCP = bit(modes, 11);
        r.BIsHighCurrent = bit(modes, 12);
        const auto flags = image.word(5);
        r.IsoInA = bit(flags, 0);
        r.IsoOutA = bit(flags, 1);
        r.PullDownEnable5 = bit(flags, 2);
        r.SerNumEnable5 = bit(flags, 3);
        r.USBVersionEnable5 = bit(flags, 4);
        r.IsoInB = bit(flags, 5);
        r.IsoOutB = bit(flags, 6);
        r.USBVersion5 = image.word(6);
    }

    void decodeStructure(const EepromImage& image, void* structure) const override {
        const auto modes = image.word(0);
        updateStructure<AD_EEPROM_2232>(structure, [&](AD_EEPROM_2232& s) {
            s.AIsHighCurrent = bit(modes, 4);
            s.BIsHighCurrent = bit(modes, 12);
            s.AIsFifo = bit(modes, 0);
            s.AIsFifoTar = bit(modes, 1);
            s.AIsFastSer = bit(modes, 2);
            s.BIsFifo = bit(modes, 8);
            s.BIsFifoTar = bit(modes, 9);
            s.BIsFastSer = bit(modes, 10);
            s.ADriverType = bit(modes, 3);
            s.BDriverType = bit(modes, 11);
        });
    }
};

} // namespace

std::unique_ptr<EepromLayout> make2232CLayout() {
    return std::make_unique<Layout2232C>();
}

} // namespace adapterdriver
