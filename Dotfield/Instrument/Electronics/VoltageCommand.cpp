#include "Dotfield/Instrument/Electronics/VoltageCommand.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "Diagnostics/DiagnosticHooks.hpp"
#include "Zovudidova/NumberText.hpp"

namespace Dotfield {

namespace {
constexpr double tenthsLimit = 4294967296.0; // tenths are counted in 32 bits
// Volts times ten lands a hair below the whole number for many decimal
// voltages (2.3 x 10 = 22.999999999999996); without this allowance 2.3 V
// would be sent as 2.2 V.
constexpr double tenthsRoundingAllowance = 1e-9;
} // namespace

std::uint16_t voltageCode(double volts) {
    const double tenths = volts * 10.0 + tenthsRoundingAllowance;
    if (!(volts >= 0.0 && tenths < tenthsLimit)) {
        throw Diagnostics::logAndReturnError(
            std::out_of_range("The drive voltage " + Zovudidova::formatDouble(volts) +
                              " V is outside the range of the electronics"));
    }
    const auto wholeTenths = static_cast<std::uint32_t>(tenths);
    const double code = std::trunc(static_cast<double>(wholeTenths) / 10.0 * 204.8);
    return static_cast<std::uint16_t>(std::min(code, static_cast<double>(maximumVoltageCode)));
}

std::array<std::uint8_t, 3> voltageCommandBytes(double volts) {
    const std::uint16_t code = voltageCode(volts);
    return {setVoltageCommandByte, static_cast<std::uint8_t>(code / 256),
            static_cast<std::uint8_t>(code % 256)};
}

} // namespace Dotfield
