// The 4232H layout: the VCP flags of channels A, C, B, D in word 0 (bits 3,
// 7, 11, 15), flags and the RI-as-TXDEN bits in word 5, the pin groups A, B,
// C, D in word 6, the EEPROM type in word 12, strings from byte 0x1A.

#include "adapterdriver/EEPROM/EepromLayout.hpp"
#include "adapterdriver/EEPROM/Layouts/FieldMaps.hpp"
#include "adapterdriver/EEPROM/Layouts/Layouts.hpp"
#include "adapterdriver/EEPROM/ProgramDataRecord.hpp"

namespace adapterdriver {

namespace {

// Word 0.
template <class Record> auto vcpFlags(Record& r) {
    return std::array{flagBit(r.AIsVCP8, 3), flagBit(r.CIsVCP8, 7), flagBit(r.BIsVCP8, 11),
                      flagBit(r.DIsVCP8, 15)};
}

// Word 0 as AD_EEPROM_4232H reports it.
template <class Structure> auto driverTypeFlags(Structure& s) {
    return std::array{flagBit(s.ADriverType, 3), flagBit(s.CDriverType, 7), flagBit(s.BDriverType, 11),
                      flagBit(s.DDriverType, 15)};
}

// Word 5.
template <class Record> auto optionFlags(Record& r) {
    return std::array{flagBit(r.PullDownEnable8, 2), flagBit(r.SerNumEnable8, 3)};
}

// Word 5 bits 12-15 and the pin groups of word 6: the record and
// AD_EEPROM_4232H name these fields alike.
template <class Fields> auto txdenFlags(Fields& f) {
    return std::array{flagBit(f.ARIIsTXDEN, 12), flagBit(f.BRIIsTXDEN, 13), flagBit(f.CRIIsTXDEN, 14),
                      flagBit(f.DRIIsTXDEN, 15)};
}

template <class Fields> auto pinGroups(Fields& f) {
    return std::array{pinGroupFields(0, f.ASlowSlew, f.ASchmittInput, f.ADriveCurrent),
                      pinGroupFields(1, f.BSlowSlew, f.BSchmittInput, f.BDriveCurrent),
                      pinGroupFields(2, f.CSlowSlew, f.CSchmittInput, f.CDriveCurrent),
                      pinGroupFields(3, f.DSlowSlew, f.DSchmittInput, f.DDriveCurrent)};
}

class Layout4232H final : public EepromLayout {
  public:
    Layout4232H()
        : EepromLayout({.bcdDevice = 0x0800,
                        .stringStart = 0x1A,
                        .wordsRead = 128,
                        .typeWord = 12,
                        .sizeProbe = SizeProbe::wordZeroFirst}) {}

  protected:
    void encodeChip(const AD_PROGRAM_DATA& r, EepromImage& image) const override {
        image.setWord(0, packFlags(vcpFlags(r)));
        image.setWord(5, static_cast<std::uint16_t>(packFlags(optionFlags(r)) | packFlags(txdenFlags(r))));
        image.setWord(6, packPinGroups(pinGroups(r)));
    }

    void decodeChip(const EepromImage& image, AD_PROGRAM_DATA& r) const override {
        prepareForDecoding(r, 4);
        unpackFlags(image.word(0), vcpFlags(r));
        unpackFlags(image.word(5), optionFlags(r));
        unpackFlags(image.word(5), txdenFlags(r));
        unpackPinGroups(image.word(6), pinGroups(r));
    }

    void decodeStructure(const EepromImage& image, void* structure) const override {
        updateStructure<AD_EEPROM_4232H>(structure, [&](AD_EEPROM_4232H& s) {
            unpackPinGroups(image.word(6), pinGroups(s));
            unpackFlags(image.word(5), txdenFlags(s));
            unpackFlags(image.word(0), driverTypeFlags(s));
        });
    }
};

} // namespace

std::unique_ptr<EepromLayout> make4232HLayout() {
    return std::make_unique<Layout4232H>();
}

} // namespace adapterdriver
