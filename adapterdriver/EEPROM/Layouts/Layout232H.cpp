// The 232H layout: interface mode and FT1248 options in word 0, flags in word
// 5, the AC and AD pin groups in word 6, the CBUS pin functions in bytes 24 to
// 28, the EEPROM type in word 15, strings from byte 0x20 (0xA0 on a large
// part), checksum in word 127.

#include "adapterdriver/EEPROM/EepromLayout.hpp"
#include "adapterdriver/EEPROM/Layouts/FieldMaps.hpp"
#include "adapterdriver/EEPROM/Layouts/Layouts.hpp"
#include "adapterdriver/EEPROM/ProgramDataRecord.hpp"

namespace adapterdriver {

namespace {

constexpr std::size_t cbusFirstByte = 24;
constexpr std::size_t markerByte = 0x8A;
constexpr std::uint8_t markerValue = 0x48;

// Word 0 bits 0-3: the interface. Only the first mode set, in this order,
// is programmed.
template <class Record> auto interfaceFlags(Record& r) {
    return std::array{flagBit(r.IsFifoH, 0), flagBit(r.IsFifoTarH, 1), flagBit(r.IsFastSerH, 2),
                      flagBit(r.IsFT1248H, 3)};
}

// The rest of word 0.
template <class Record> auto optionFlags(Record& r) {
    return std::array{flagBit(r.IsVCPH, 4), flagBit(r.FT1248CpolH, 8), flagBit(r.FT1248LsbH, 9),
                      flagBit(r.FT1248FlowControlH, 10), flagBit(r.PowerSaveEnableH, 15)};
}

// Word 5.
template <class Record> auto flagsWord5(Record& r) {
    return std::array{flagBit(r.PullDownEnableH, 2), flagBit(r.SerNumEnableH, 3)};
}

// Word 6: the AC bus in group 0, the AD bus in group 2.
template <class Record> auto pinGroups(Record& r) {
    return std::array{pinGroupFields(0, r.ACSlowSlewH, r.ACSchmittInputH, r.ACDriveCurrentH),
                      pinGroupFields(2, r.ADSlowSlewH, r.ADSchmittInputH, r.ADDriveCurrentH)};
}

template <class Record> auto cbusFields(Record& r) {
    return std::array{&r.Cbus0H, &r.Cbus1H, &r.Cbus2H, &r.Cbus3H, &r.Cbus4H,
                      &r.Cbus5H, &r.Cbus6H, &r.Cbus7H, &r.Cbus8H, &r.Cbus9H};
}

// Word 0 as AD_EEPROM_232H reports it, the VCP bit as the driver type.
auto structureModeFlags(AD_EEPROM_232H& s) {
    return std::array{
        flagBit(s.IsFifo, 0),    flagBit(s.IsFifoTar, 1),          flagBit(s.IsFastSer, 2),
        flagBit(s.IsFT1248, 3),  flagBit(s.DriverType, 4),         flagBit(s.FT1248Cpol, 8),
        flagBit(s.FT1248Lsb, 9), flagBit(s.FT1248FlowControl, 10), flagBit(s.PowerSaveEnable, 15)};
}

class Layout232H final : public EepromLayout {
  public:
    Layout232H()
        : EepromLayout({.bcdDevice = 0x0900,
                        .stringStart = 0x20,
                        .wordsRead = 128,
                        .typeWord = 15,
                        .sizeProbe = SizeProbe::upperWordsOnly,
                        .defaultEepromType = eepromType128Words,
                        .acceptsLargeType5231 = true,
                        .vacatedUserBytes = 96}) {}

    ImageGeometry readGeometry(const EepromImage& image) const override {
        if (isLargeType(image.word(*traits().typeWord))) {
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
    void encodeChip(const AD_PROGRAM_DATA& r, EepromImage& image) const override {
        unsigned mode = 0;
        for (const auto& f : interfaceFlags(r)) {
            if (*f.field != 0) {
                mode = 1u << f.bit;
                break;
            }
        }
        image.setWord(0, static_cast<std::uint16_t>(mode | packFlags(optionFlags(r))));
        image.setWord(5, packFlags(flagsWord5(r)));
        image.setWord(6, packPinGroups(pinGroups(r)));
        packNibbles(image, cbusFirstByte, cbusFields(r));
        image.setByte(markerByte, markerValue);
    }

    void decodeChip(const EepromImage& image, AD_PROGRAM_DATA& r) const override {
        prepareForDecoding(r, 5);
        unpackFlags(image.word(0), interfaceFlags(r));
        unpackFlags(image.word(0), optionFlags(r));
        unpackFlags(image.word(5), flagsWord5(r));
        unpackPinGroups(image.word(6), pinGroups(r));
        unpackNibbles(image, cbusFirstByte, cbusFields(r));
    }

    void decodeStructure(const EepromImage& image, void* structure) const override {
        updateStructure<AD_EEPROM_232H>(structure, [&](AD_EEPROM_232H& s) {
            unpackPinGroups(image.word(6),
                            std::array{pinGroupFields(0, s.ACSlowSlew, s.ACSchmittInput, s.ACDriveCurrent),
                                       pinGroupFields(2, s.ADSlowSlew, s.ADSchmittInput, s.ADDriveCurrent)});
            unpackNibbles(image, cbusFirstByte,
                          std::array{&s.Cbus0, &s.Cbus1, &s.Cbus2, &s.Cbus3, &s.Cbus4, &s.Cbus5, &s.Cbus6,
                                     &s.Cbus7, &s.Cbus8, &s.Cbus9});
            unpackFlags(image.word(0), structureModeFlags(s));
        });
    }
};

} // namespace

std::unique_ptr<EepromLayout> make232HLayout() {
    return std::make_unique<Layout232H>();
}

} // namespace adapterdriver
