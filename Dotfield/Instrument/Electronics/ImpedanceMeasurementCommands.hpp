#pragma once
// The measurement commands of the original electronics, and the frequency
// command both generations share:
//   'F' + 4 register bytes  -> 'F'      set the generator frequency
//   'd' + delay byte        -> 'd'      set the measurement delay (0 is sent as 1)
//   'q'                     -> 260 bytes, one sample block
// The two set commands raise CommunicationsError; a measurement retries each
// of its steps once and reports a second failure as an ElectronicsError.

#include <cstdint>

#include "Dotfield/Instrument/Electronics/ElectronicsHardwareGeneration.hpp"
#include "Dotfield/Instrument/Electronics/Impedance.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

// A frequency without a 32-bit register word is refused with std::out_of_range
// before anything is sent.
void setImpedanceMeasurementFrequency(const Zovudidova::Frequency& frequency, SerialPort& serialPort,
                                      ElectronicsHardwareGeneration hardwareGeneration);

void setImpedanceMeasurementDelay(std::uint8_t delay, SerialPort& serialPort);

// Delay, frequency (original clock), then one sample block; magnitude =
// channel-2 amplitude x 1000 / channel-1 amplitude, phase 0.
Impedance measureImpedanceAtFrequency(const Zovudidova::Frequency& frequency, std::uint8_t delay,
                                      SerialPort& serialPort);

} // namespace Dotfield
