#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Electronics/FrequencyRegister.hpp"

using namespace Dotfield;
using Zovudidova::hertz;
using Zovudidova::kilohertz;
using Bytes = std::array<std::uint8_t, 4>;

namespace {

struct RegisterCase {
    double kHz;
    ElectronicsHardwareGeneration generation;
    std::uint32_t word;
    Bytes bytes;
};

} // namespace

TEST(FrequencyRegister, WordsAndBytesForBothClocks) {
    const RegisterCase cases[] = {
        {400.0, ElectronicsHardwareGeneration::originalDesign, 12800000u, {0x00, 0xC3, 0x50, 0x00}},
        {400.0, ElectronicsHardwareGeneration::redesign2016, 14563556u, {0x00, 0xDE, 0x38, 0xE4}},
        {460.0, ElectronicsHardwareGeneration::originalDesign, 14720000u, {0x00, 0xE0, 0x9C, 0x00}},
        {0.0, ElectronicsHardwareGeneration::originalDesign, 0u, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kHz);
        EXPECT_EQ(frequencyRegisterWord(kilohertz(c.kHz), c.generation), c.word);
        EXPECT_EQ(frequencyRegisterBytes(kilohertz(c.kHz), c.generation), c.bytes);
    }
    // The same frequency in another unit gives the same word.
    EXPECT_EQ(frequencyRegisterWord(hertz(400000.0), ElectronicsHardwareGeneration::redesign2016), 14563556u);
}

TEST(FrequencyRegister, RoundsHalfUp) {
    // One register step of the original clock is 1/32 Hz: 1/64 Hz is half a step.
    EXPECT_EQ(frequencyRegisterWord(hertz(1.0 / 64.0), ElectronicsHardwareGeneration::originalDesign), 1u);
    EXPECT_EQ(frequencyRegisterWord(hertz(1.0 / 65.0), ElectronicsHardwareGeneration::originalDesign), 0u);
}

TEST(FrequencyRegister, RefusesFrequenciesWithoutA32BitWord) {
    // 32 x clock is the first frequency whose word needs 33 bits.
    EXPECT_EQ(frequencyRegisterWord(hertz(134217727.0), ElectronicsHardwareGeneration::originalDesign),
              4294967264u);
    for (double bad : {134217728.0, -1.0, std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity()}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(frequencyRegisterWord(hertz(bad), ElectronicsHardwareGeneration::originalDesign),
                     std::out_of_range);
    }
}
