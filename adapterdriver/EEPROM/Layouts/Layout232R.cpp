// The 232R layout: oscillator, drive and driver flags in byte 0, the endpoint
// size in byte 1, flags in byte 10, line inversions in byte 11, the CBUS pin
// functions in bytes 20 to 22, strings from byte 0x18.

#include "adapterdriver/EEPROM/EepromLayout.hpp"
#include "adapterdriver/EEPROM/Layouts/Layouts.hpp"
#include "adapterdriver/EEPROM/PinGroup.hpp"

namespace adapterdriver {

namespace {

// Word 0x42 of the chip carries a bit that programming keeps (byte 0 bit 0);
// words 0x43 and 0x44 hold the chip identifier.
constexpr std::uint32_t preservedBitWord = 0x42;
constexpr std::uint32_t chipIdLowWord = 0x43;
constexpr std::uint32_t chipIdHighWord = 0x44;

class Layout232R final : public EepromLayout {
  protected:
    std::uint16_t bcdDevice(const AD_PROGRAM_DATA& /*record*/) const override { return 0x0600; }
    std::size_t stringStart() const override { return 0x18; }

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
        image.setByte(0, static_cast<std::uint8_t>(preservedBit_ | flag(r.UseExtOsc, 1) |
                                                   flag(r.HighDriveIOs, 2) | flag(r.RIsDirectDriver, 3)));
        image.setByte(1, r.EndpointSize);
        image.setByte(10, static_cast<std::uint8_t>(flag(r.PullDownEnableR, 2) | flag(r.SerNumEnableR, 3)));
        image.setByte(11, static_cast<std::uint8_t>(flag(r.InvertTXD, 0) | flag(r.InvertRXD, 1) |
                                                    flag(r.InvertRTS, 2) | flag(r.InvertCTS, 3) |
                                                    flag(r.InvertDTR, 4) | flag(r.InvertDSR, 5) |
                                                    flag(r.InvertDCD, 6) | flag(r.InvertRI, 7)));
        image.setByte(20, static_cast<std::uint8_t>((r.Cbus0 & 0xF) | ((r.Cbus1 & 0xF) << 4)));
        image.setByte(21, static_cast<std::uint8_t>((r.Cbus2 & 0xF) | ((r.Cbus3 & 0xF) << 4)));
        image.setByte(22, r.Cbus4);
    }

    void decodeChip(const EepromImage& image, AD_PROGRAM_DATA& r) const override {
        r.Version = 2;
        const auto options = image.byte(0);
        r.UseExtOsc = bit(options, 1);
        r.HighDriveIOs = bit(options, 2);
        r.RIsDirectDriver = bit(options, 3);
        r.EndpointSize = image.byte(1);
        r.PullDownEnableR = bit(image.byte(10), 2);
        r.SerNumEnableR = bit(image.byte(10), 3);
        const auto inversions = image.byte(11);
        r.InvertTXD = bit(inversions, 0);
        r.InvertRXD = bit(inversions, 1);
        r.InvertRTS = bit(inversions, 2);
        r.InvertCTS = bit(inversions, 3);
        r.InvertDTR = bit(inversions, 4);
        r.InvertDSR = bit(inversions, 5);
        r.InvertDCD = bit(inversions, 6);
        r.InvertRI = bit(inversions, 7);
        r.Cbus0 = image.byte(20) & 0xF;
        r.Cbus1 = image.byte(20) >> 4;
        r.Cbus2 = image.byte(21) & 0xF;
        r.Cbus3 = image.byte(21) >> 4;
        r.Cbus4 = image.byte(22);
    }

    void decodeStructure(const EepromImage& image, void* structure) const override {
        updateStructure<AD_EEPROM_232R>(structure, [&](AD_EEPROM_232R& s) {
            const auto options = image.byte(0);
            s.IsHighCurrent = bit(options, 2);
            s.UseExtOsc = bit(options, 1);
            s.DriverType = bit(options, 3) == 0 ? 1 : 0;
            const auto inversions = image.byte(11);
            s.InvertTXD = bit(inversions, 0);
            s.InvertRXD = bit(inversions, 1);
            s.InvertRTS = bit(inversions, 2);
            s.InvertCTS = bit(inversions, 3);
            s.InvertDTR = bit(inversions, 4);
            s.InvertDSR = bit(inversions, 5);
            s.InvertDCD = bit(inversions, 6);
            s.InvertRI = bit(inversions, 7);
            s.Cbus0 = image.byte(20) & 0xF;
            s.Cbus1 = image.byte(20) >> 4;
            s.Cbus2 = image.byte(21) & 0xF;
            s.Cbus3 = image.byte(21) >> 4;
            s.Cbus4 = image.byte(22);
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
