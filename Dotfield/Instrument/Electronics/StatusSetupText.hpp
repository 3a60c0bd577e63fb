#pragma once
// The status set-up command of the redesigned electronics as text: the letter
// S and the five status-check frequencies, each rounded to whole hertz (halves
// away from zero) and written as a plain decimal number, with nothing between
// them and no terminator. The measurement delays are not part of it.

#include <array>
#include <string>

#include "Dotfield/Instrument/Electronics/ImpedanceRecord.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

// A frequency that is negative, not finite or beyond 32 bits of hertz is
// refused with std::out_of_range (it has no plain decimal form the
// electronics read).
std::string impedanceStatusCheckSetupText(
    const std::array<Zovudidova::Frequency, impedanceStatusPointCount>& frequencies);

} // namespace Dotfield
