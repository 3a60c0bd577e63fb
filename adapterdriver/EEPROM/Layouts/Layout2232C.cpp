// The 2232C layout: interface modes in word 0 (A in the low byte, B in the
// high byte), flags in word 5, the USB version in word 6, the EEPROM type in
// word 10, strings from byte 0x16.

#include "adapterdriver/EEPROM/EepromLayout.hpp"
#include "adapterdriver/EEPROM/Layouts/FieldMaps.hpp"
#include "adapterdriver/EEPROM/Layouts/Layouts.hpp"
#include "adapterdriver/EEPROM/ProgramDataRecord.hpp"

namespace adapterdriver {

namespace {

// Word 0.
template <class Record> auto modeFlags(Record& r) {
    return std::array{flagBit(r.IFAIsFifo, 0),      flagBit(r.IFAIsFifoTar, 1),   flagBit(r.IFAIsFastSer, 2),
                      flagBit(r.AIsVCP, 3),         flagBit(r.AIsHighCurrent, 4), flagBit(r.IFBIsFifo, 8),
                      flagBit(r.IFBIsFifoTar, 9),   flagBit(r.IFBIsFastSer, 10),  flagBit(r.BIsVCP, 11),
                      flagBit(r.BIsHighCurrent, 12)};
}

// Word 5.
template <class Record> auto optionFlags(Record& r) {
    return std::array{flagBit(r.PullDownEnable5, 2), flagBit(r.SerNumEnable5, 3),
                      flagBit(r.USBVersionEnable5, 4)};
}

// Word 5 too: read, but always programmed as 0.
template <class Record> auto isochronousFlags(Record& r) {
    return std::array{flagBit(r.IsoInA, 0), flagBit(r.IsoOutA, 1), flagBit(r.IsoInB, 5),
                      flagBit(r.IsoOutB, 6)};
}

class Layout2232C final : public EepromLayout {
  public:
    Layout2232C()
        : EepromLayout({.bcdDevice = 0x0500,
                        .stringStart = 0x16,
                        .wordsRead = 128,
                        .typeWord = 10,
                        .sizeProbe = SizeProbe::wordZeroFirst}) {}

  protected:
    void encodeChip(const AD_PROGRAM_DATA& r, EepromImage& image) const override {
        image.setWord(0, packFlags(modeFlags(r)));
        image.setWord(5, packFlags(optionFlags(r)));
        image.setWord(6, r.USBVersion5);
    }

    void decodeChip(const EepromImage& image, AD_PROGRAM_DATA& r) const override {
        prepareForDecoding(r, 1);
        r.Rev5 = 1;
        unpackFlags(image.word(0), modeFlags(r));
        unpackFlags(image.word(5), optionFlags(r));
        unpackFlags(image.word(5), isochronousFlags(r));
        r.USBVersion5 = image.word(6);
    }

    void decodeStructure(const EepromImage& image, void* structure) const override {
        updateStructure<AD_EEPROM_2232>(structure, [&](AD_EEPROM_2232& s) {
            unpackFlags(image.word(0), dualChannelStructureModes(s));
            s.AIsHighCurrent = bit(image.word(0), 4);
            s.BIsHighCurrent = bit(image.word(0), 12);
        });
    }
};

} // namespace

std::unique_ptr<EepromLayout> make2232CLayout() {
    return std::make_unique<Layout2232C>();
}

} // namespace adapterdriver
