#include "adapterdriver/EEPROM/SizeDetection.hpp"

#include "adapterdriver/EEPROM/EepromLayout.hpp"

namespace adapterdriver {

namespace {

constexpr std::uint32_t probeWord = 0xC0;
constexpr std::uint16_t probeValue = 0x00C0;

} // namespace

AD_STATUS detectEepromType(EepromDevice& device, SizeProbe probe, std::uint16_t& type) {
    type = 0;
    if (device.erase() != AD_OK) {
        return AD_EEPROM_ERASE_FAILED;
    }
    if (device.writeWord(probeWord, probeValue) != AD_OK) {
        return AD_EEPROM_WRITE_FAILED;
    }
    struct Candidate {
        std::uint32_t word;
        std::uint16_t type;
    };
    static constexpr Candidate candidates[] = {
        {0x00, eepromType64Words}, {0x40, eepromType128Words}, {0xC0, eepromType256Words}};
    for (const auto& candidate : candidates) {
        if (candidate.word == 0 && probe != SizeProbe::wordZeroFirst) {
            continue;
        }
        std::uint16_t value = 0;
        if (device.readWord(candidate.word, value) != AD_OK) {
            return AD_EEPROM_READ_FAILED;
        }
        if (value == probeValue) {
            type = candidate.type;
            return AD_OK;
        }
    }
    return AD_OK;
}

} // namespace adapterdriver
