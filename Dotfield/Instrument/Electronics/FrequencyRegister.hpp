#pragma once
// The frequency register of the electronics' signal generator: a 32-bit word,
// f / (2 x clock) x 2^28 rounded half up, sent most significant byte first
// after the 'F' command. Both generations use it, each with its own clock.

#include <array>
#include <cstdint>

#include "Dotfield/Instrument/Electronics/ElectronicsHardwareGeneration.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

// The generator clock in hertz: 4,194,304 (original design) or 3,686,400 (redesign).
double frequencyRegisterClock(ElectronicsHardwareGeneration generation);

// The register word for the frequency. A frequency that is negative, not
// finite or whose word would not fit 32 bits is refused with
// std::out_of_range, so nothing is ever sent for it.
std::uint32_t frequencyRegisterWord(const Zovudidova::Frequency& frequency,
                                    ElectronicsHardwareGeneration generation);

// The word's four bytes, most significant first.
std::array<std::uint8_t, 4> frequencyRegisterBytes(const Zovudidova::Frequency& frequency,
                                                   ElectronicsHardwareGeneration generation);

} // namespace Dotfield
