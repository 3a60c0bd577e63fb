#include "simulators/usb/SerialLineSettings.hpp"

#include <cmath>

namespace Simulators {

bool SerialLineSettings::baudNear(std::uint32_t wanted) const {
    if (wanted == 0 || baudRate == 0) {
        return false;
    }
    const double ratio = static_cast<double>(baudRate) / static_cast<double>(wanted);
    return ratio >= 0.97 && ratio <= 1.03;
}

std::chrono::nanoseconds byteDuration(const SerialLineSettings& settings) {
    constexpr std::uint32_t powerOnBaudRate = 9600;
    double stopBits = 1.0;
    if (settings.stopBits == StopBits::onePointFive) {
        stopBits = 1.5;
    } else if (settings.stopBits == StopBits::two) {
        stopBits = 2.0;
    }
    const double bits = 1.0 + settings.dataBits + (settings.parity == Parity::none ? 0.0 : 1.0) + stopBits;
    const double rate = settings.baudRate == 0 ? powerOnBaudRate : settings.baudRate;
    return std::chrono::nanoseconds(static_cast<std::int64_t>(std::llround(bits / rate * 1e9)));
}

std::uint32_t decodeBaudRate(std::uint16_t value, std::uint16_t index, bool twelveMegahertzCapable,
                             bool indexCarriesPort, bool bmOrLater) {
    const unsigned clockBits = indexCarriesPort ? (index >> 8) & 0xFF : index & 0xFF;
    const bool twelve = twelveMegahertzCapable && (clockBits & 0x02) != 0;
    const bool extra = bmOrLater && (clockBits & 0x01) != 0;
    const double clock = twelve ? 12e6 : 3e6;
    if (value == 0) {
        return static_cast<std::uint32_t>(clock);
    }
    if (twelve && value == 1) {
        return 8'000'000;
    }
    // The two top bits and the extra bit select eighths of the divisor.
    static constexpr int eighths[2][4] = {{0, 4, 2, 1}, {3, 5, 6, 7}};
    const double divisor = (value & 0x3FFF) + eighths[extra ? 1 : 0][value >> 14] / 8.0;
    if (divisor <= 0) {
        return 0;
    }
    return static_cast<std::uint32_t>(std::lround(clock / divisor));
}

void applyDataCharacteristics(SerialLineSettings& settings, std::uint16_t value) {
    settings.dataBits = static_cast<std::uint8_t>(value & 0xFF);
    settings.parity = static_cast<Parity>((value >> 8) & 0x07);
    settings.stopBits = static_cast<StopBits>((value >> 11) & 0x03);
    settings.breakOn = (value & 0x4000) != 0;
}

} // namespace Simulators
