#include "Dotfield/Instrument/Electronics/StatusSetupText.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "Diagnostics/DiagnosticHooks.hpp"
#include "Zovudidova/NumberText.hpp"

namespace Dotfield {

namespace {
constexpr double hertzLimit = 4294967296.0;
} // namespace

std::string impedanceStatusCheckSetupText(
    const std::array<Zovudidova::Frequency, impedanceStatusPointCount>& frequencies) {
    std::string text = "S";
    for (const auto& frequency : frequencies) {
        const double hertz = std::round(frequency.value(Zovudidova::FrequencyUnit::hertz));
        if (!(hertz >= 0.0 && hertz < hertzLimit)) {
            throw Diagnostics::logAndReturnError(std::out_of_range(
                "The status-check frequency " + Zovudidova::formatDouble(hertz) + " Hz cannot be sent"));
        }
        char digits[16];
        const auto result = std::to_chars(digits, digits + sizeof digits, static_cast<std::uint64_t>(hertz));
        text.append(digits, result.ptr);
    }
    return text;
}

} // namespace Dotfield
