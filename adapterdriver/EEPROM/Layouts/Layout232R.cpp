// The 232R layout: oscillator, drive and driver flags in byte 0, the endpoint
// size in byte 1, flags in byte 10, line inversions in byte 11, the CBUS pin
// functions in bytes 20 to 22, strings from byte 0x18.

#include "adapterdriver/EEPROM/EepromLayout.hpp"
#include "adapterdriver/EEPROM/Layouts/FieldMaps.hpp"
#include "adapterdriver/EEPROM/Layouts/Layouts.hpp"
#include "adapterdriver/EEPROM/ProgramDataRecord.hpp"

namespace adapterdriver {

namespace {

// Word 0x42 of the chip carries a bit that programming keeps (byte 0 bit 0);
// words 0x43 and 0x44 hold the chip identifier.
constexpr std::uint32_t preservedBitWord = 0x42;
constexpr std::uint32_t chipIdLowWord = 0x43;
constexpr std::uint32_t chipIdHighWord = 0x44;

constexpr std::size_t cbusFirstByte = 20;
constexpr std::size_t cbus4Byte = 22;
constexpr unsigned highDriveBit = 2;
constexpr unsigned directDriverBit = 3;

// Byte 0.
template <class Record> auto optionFlags(Record& r) {
    return std::array{flagBit(r.UseExtOsc, 1), flagBit(r.HighDriveIOs, highDriveBit),
                      flagBit(r.RIsDirectDriver, directDriverBit)};
}

// Byte 10.
template <class Record> auto flagsByte10(Record& r) {
    return std::array{flagBit(r.PullDownEnableR, 2), flagBit(r.SerNumEnableR, 3)};
}

// Cbus0 to Cbus3 in the nibbles of bytes 20 and 21 (Cbus4 has byte 22); the
// record and AD_EEPROM_232R name them alike.
template <class Fields> auto cbusNibbles(Fields& f) {
    return std::array{&f.Cbus0, &f.Cbus1, &f.Cbus2, &f.Cbus3};
}

class Layout232R final : public EepromLayout {
  public:
    Layout232R() : EepromLayout({.bcdDevice = 0x0600, .stringStart = 0x18}) {}

  protected:
    AD_STATUS prepareProgramming(EepromDevice& device, std::uint16_t& eepromType) override {
        eepromType = 0;
        std::uint16_t word = 0;
        preservedBit_ = 0;
        if (device.readWord(preservedBitWord, word) == AD_OK && word != 0xFFFF) {
            preservedBit_ = static_cast<std::uint8_t>(word & 1u);
        }
        return AD_OK;
    }

    AD_STATUS afterImageRead(EepromDevice& device) override {
        std::uint16_t high = 0;
        std::uint16_t low = 0;
        if (device.readWord(chipIdHighWord, high) != AD_OK || device.readWord(chipIdLowWord, low) != AD_OK) {
            return AD_EEPROM_READ_FAILED;
        }
        chipId_ = (static_cast<std::uint32_t>(high) << 16) | low;
        return AD_OK;
    }

    void encodeChip(const AD_PROGRAM_DATA& r, EepromImage& image) const override {
        image.setByte(0, static_cast<std::uint8_t>(preservedBit_ | packFlags(optionFlags(r))));
        image.setByte(1, r.EndpointSize);
        image.setByte(10, static_cast<std::uint8_t>(packFlags(flagsByte10(r))));
        image.setByte(11, static_cast<std::uint8_t>(packFlags(lineInversionFlags(r))));
        packNibbles(image, cbusFirstByte, cbusNibbles(r));
        image.setByte(cbus4Byte, r.Cbus4);
    }

    void decodeChip(const EepromImage& image, AD_PROGRAM_DATA& r) const override {
        prepareForDecoding(r, 2);
        unpackFlags(image.byte(0), optionFlags(r));
        r.EndpointSize = image.byte(1);
        unpackFlags(image.byte(10), flagsByte10(r));
        unpackFlags(image.byte(11), lineInversionFlags(r));
        unpackNibbles(image, cbusFirstByte, cbusNibbles(r));
        r.Cbus4 = image.byte(cbus4Byte);
    }

    void decodeStructure(const EepromImage& image, void* structure) const override {
        updateStructure<AD_EEPROM_232R>(structure, [&](AD_EEPROM_232R& s) {
            const auto options = image.byte(0);
            s.IsHighCurrent = bit(options, highDriveBit);
            s.UseExtOsc = bit(options, 1);
            s.DriverType = bit(options, directDriverBit) == 0 ? 1 : 0;
            unpackFlags(image.byte(11), lineInversionFlags(s));
            unpackNibbles(image, cbusFirstByte, cbusNibbles(s));
            s.Cbus4 = image.byte(cbus4Byte);
        });
    }

  private:
    std::uint8_t preservedBit_ = 0;
    [[maybe_unused]] std::uint32_t chipId_ = 0; // read with the image; nothing reports it
};

} // namespace

std::unique_ptr<EepromLayout> make232RLayout() {
    return std::make_unique<Layout232R>();
}

} // namespace adapterdriver
