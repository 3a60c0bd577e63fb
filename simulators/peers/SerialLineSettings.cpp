#include "simulators/peers/SerialLineSettings.hpp"

#include <cmath>

namespace Simulators {

bool lineSettingsMatch(const SerialLineSettings& expected, const SerialLineSettings& actual) {
    if (expected.dataBits != actual.dataBits || expected.stopBits != actual.stopBits ||
        expected.parity != actual.parity || expected.baudRate == 0) {
        return false;
    }
    const double deviation =
        std::fabs(static_cast<double>(actual.baudRate) - static_cast<double>(expected.baudRate)) /
        static_cast<double>(expected.baudRate);
    return deviation <= 0.03;
}

} // namespace Simulators
