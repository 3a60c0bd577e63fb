// The 2232H layout: interface modes in word 0, flags in word 5, the pin
// groups AL, AH, BL, BH in word 6, the EEPROM type in word 12, strings from
// byte 0x1A. The power-save bit (word 0 bit 15) is reported only by
// AD_EEPROM_Read.

#include "adapterdriver/EEPROM/EepromLayout.hpp"
#include "adapterdriver/EEPROM/Layouts/FieldMaps.hpp"
#include "adapterdriver/EEPROM/Layouts/Layouts.hpp"
#include "adapterdriver/EEPROM/ProgramDataRecord.hpp"

namespace adapterdriver {

namespace {

// Word 0.
template <class Record> auto modeFlags(Record& r) {
    return std::array{flagBit(r.IFAIsFifo7, 0),     flagBit(r.IFAIsFifoTar7, 1), flagBit(r.IFAIsFastSer7, 2),
                      flagBit(r.AIsVCP7, 3),        flagBit(r.IFBIsFifo7, 8),    flagBit(r.IFBIsFifoTar7, 9),
                      flagBit(r.IFBIsFastSer7, 10), flagBit(r.BIsVCP7, 11)};
}

// Word 5.
template <class Record> auto optionFlags(Record& r) {
    return std::array{flagBit(r.PullDownEnable7, 2), flagBit(r.SerNumEnable7, 3)};
}

// Word 6; the record and AD_EEPROM_2232H name the groups alike.
template <class Fields> auto pinGroups(Fields& f) {
    return std::array{pinGroupFields(0, f.ALSlowSlew, f.ALSchmittInput, f.ALDriveCurrent),
                      pinGroupFields(1, f.AHSlowSlew, f.AHSchmittInput, f.AHDriveCurrent),
                      pinGroupFields(2, f.BLSlowSlew, f.BLSchmittInput, f.BLDriveCurrent),
                      pinGroupFields(3, f.BHSlowSlew, f.BHSchmittInput, f.BHDriveCurrent)};
}

constexpr unsigned powerSaveBit = 15;

class Layout2232H final : public EepromLayout {
  public:
    Layout2232H()
        : EepromLayout({.bcdDevice = 0x0700,
                        .stringStart = 0x1A,
                        .wordsRead = 128,
                        .typeWord = 12,
                        .sizeProbe = SizeProbe::wordZeroFirst}) {}

  protected:
    void encodeChip(const AD_PROGRAM_DATA& r, EepromImage& image) const override {
        image.setWord(0, packFlags(modeFlags(r)));
        image.setWord(5, packFlags(optionFlags(r)));
        image.setWord(6, packPinGroups(pinGroups(r)));
    }

    void decodeChip(const EepromImage& image, AD_PROGRAM_DATA& r) const override {
        prepareForDecoding(r, 3);
        unpackFlags(image.word(0), modeFlags(r));
        unpackFlags(image.word(5), optionFlags(r));
        unpackPinGroups(image.word(6), pinGroups(r));
    }

    void decodeStructure(const EepromImage& image, void* structure) const override {
        updateStructure<AD_EEPROM_2232H>(structure, [&](AD_EEPROM_2232H& s) {
            unpackPinGroups(image.word(6), pinGroups(s));
            unpackFlags(image.word(0), dualChannelStructureModes(s));
            s.PowerSaveEnable = bit(image.word(0), powerSaveBit);
        });
    }
};

} // namespace

std::unique_ptr<EepromLayout> make2232HLayout() {
    return std::make_unique<Layout2232H>();
}

} // namespace adapterdriver
