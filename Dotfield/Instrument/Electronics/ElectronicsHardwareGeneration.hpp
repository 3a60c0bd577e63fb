#pragma once
// The two generations of dispenser electronics. The generation selects the
// impedance command set and the clock of the frequency register.

#include <cstdint>

namespace Dotfield {

enum class ElectronicsHardwareGeneration : std::uint8_t { originalDesign, redesign2016 };

} // namespace Dotfield
