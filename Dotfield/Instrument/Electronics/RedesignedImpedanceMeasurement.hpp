#pragma once
// What is particular to the redesigned electronics: telling the generations
// apart, the one-command impedance sweep and the text form of the status
// set-up.
//   'v'                 -> identification text up to a carriage return;
//                          "...0.8.2.2\r" means the redesign
//   'p'                 -> 401 impedance records, 200 to 600 kHz in 1 kHz steps
//   "S" + 5 frequencies -> a line starting with 'S'
// The 30-byte status reply is decoded by decodeImpedanceReplyPV.

#include <array>
#include <functional>
#include <vector>

#include "Dotfield/Instrument/Electronics/ElectronicsHardwareGeneration.hpp"
#include "Dotfield/Instrument/Electronics/Impedance.hpp"
#include "Dotfield/Instrument/Electronics/ImpedanceRecord.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

// Asks the electronics for their identification. When the first attempt
// fails, a carriage return clears the electronics' command line and the
// identification is read again as a line; its line feed is not part of the
// test. Throws the serial link's errors when the second attempt fails too.
ElectronicsHardwareGeneration determineElectronicsHardwareGeneration(SerialPort& serialPort);

// Receives each point as it arrives; answers false to abort the sweep.
using NewImpedanceValueFunction =
    std::function<bool(const Zovudidova::Frequency& frequency, double magnitude)>;

// Sweeps 200 to 600 kHz and returns the 401 measurements in frequency order
// (delay 0). Read errors are thrown as the link raised them; an abort is
// ElectronicsError.abortedByUser. After either, the records still on their
// way are drained, so the next command gets its own reply.
std::vector<ImpedanceMeasurement>
performImpedanceScanPV(SerialPort& serialPort, const NewImpedanceValueFunction& newImpedanceValueFunction);

// Programs the five status-check frequencies (point order) with the text
// command. A reply not starting with 'S' is unrecoverableCommunicationNoise;
// link failures are converted to ElectronicsError.
void initializeImpedanceStatusCheckPV(
    const std::array<Zovudidova::Frequency, impedanceStatusPointCount>& frequencies, SerialPort& serialPort);

} // namespace Dotfield
