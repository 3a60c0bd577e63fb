#include "Dotfield/Instrument/Electronics/FrequencyRegister.hpp"

#include <cmath>
#include <stdexcept>
#include <string>

#include "Diagnostics/DiagnosticHooks.hpp"
#include "Zovudidova/NumberText.hpp"

namespace Dotfield {

namespace {
constexpr double registerScale = 268435456.0; // 2^28
constexpr double wordLimit = 4294967296.0;    // 2^32
} // namespace

double frequencyRegisterClock(ElectronicsHardwareGeneration generation) {
    switch (generation) {
    case ElectronicsHardwareGeneration::originalDesign:
        return 4194304.0;
    case ElectronicsHardwareGeneration::redesign2016:
        return 3686400.0;
    }
    return 4194304.0;
}

std::uint32_t frequencyRegisterWord(const Zovudidova::Frequency& frequency,
                                    ElectronicsHardwareGeneration generation) {
    const double hertz = frequency.value(Zovudidova::FrequencyUnit::hertz);
    const double word = hertz / (2.0 * frequencyRegisterClock(generation)) * registerScale + 0.5;
    // Written so that NaN fails the test too.
    if (!(hertz >= 0.0 && word < wordLimit)) {
        throw Diagnostics::logAndReturnError(
            std::out_of_range("The frequency " + Zovudidova::formatDouble(hertz) +
                              " Hz is outside the range of the signal generator"));
    }
    return static_cast<std::uint32_t>(word);
}

std::array<std::uint8_t, 4> frequencyRegisterBytes(const Zovudidova::Frequency& frequency,
                                                   ElectronicsHardwareGeneration generation) {
    const std::uint32_t word = frequencyRegisterWord(frequency, generation);
    return {static_cast<std::uint8_t>(word >> 24), static_cast<std::uint8_t>(word >> 16),
            static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word)};
}

} // namespace Dotfield
