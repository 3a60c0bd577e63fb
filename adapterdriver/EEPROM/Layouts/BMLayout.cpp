// The BM layout, also used for AM and unknown chips: word 0 is 0, byte 10
// holds the pull-down, serial-number and USB-version flags, word 6 the USB
// version. Chips older than revision 4 keep only the pull-down flag.

#include "adapterdriver/EEPROM/EepromLayout.hpp"
#include "adapterdriver/EEPROM/Layouts/Layouts.hpp"
#include "adapterdriver/EEPROM/PinGroup.hpp"
#include "adapterdriver/EEPROM/ProgramDataRecord.hpp"

namespace adapterdriver {

namespace {

class BMLayout final : public EepromLayout {
  public:
    BMLayout() : EepromLayout({.stringStart = 0x14}) {}

  protected:
    std::uint16_t bcdDevice(const AD_PROGRAM_DATA& record) const override {
        return record.Rev4 != 0 ? 0x0400 : 0x0200;
    }

    void encodeChip(const AD_PROGRAM_DATA& record, EepromImage& image) const override {
        image.setWord(0, 0);
        // The isochronous flags are always programmed as 0.
        image.setByte(10, static_cast<std::uint8_t>(flag(record.PullDownEnable, 2) |
                                                    flag(record.SerNumEnable, 3) |
                                                    flag(record.USBVersionEnable, 4)));
        image.setByte(11, 0);
        image.setWord(6, record.USBVersion);
    }

    void decodeChip(const EepromImage& image, AD_PROGRAM_DATA& record) const override {
        prepareForDecoding(record, 0);
        const bool rev4 = (image.word(3) >> 8) == 0x04;
        const auto flags = image.byte(10);
        record.Rev4 = rev4 ? 1 : 0;
        record.IsoIn = rev4 ? bit(flags, 0) : 0;
        record.IsoOut = rev4 ? bit(flags, 1) : 0;
        record.PullDownEnable = bit(flags, 2);
        record.SerNumEnable = rev4 ? bit(flags, 3) : 0;
        record.USBVersionEnable = rev4 ? bit(flags, 4) : 0;
        record.USBVersion = rev4 ? image.word(6) : 0x0110;
    }

    void decodeStructure(const EepromImage& /*image*/, void* /*structure*/) const override {}
};

} // namespace

std::unique_ptr<EepromLayout> makeBMLayout() {
    return std::make_unique<BMLayout>();
}

} // namespace adapterdriver
