#pragma once
// The impedance scan of a calibration run, in either hardware generation: the
// redesigned electronics sweep by themselves; the original ones are measured
// point by point along the delay calibration table.

#include <vector>

#include "Dotfield/Instrument/Electronics/ElectronicsHardwareGeneration.hpp"
#include "Dotfield/Instrument/Electronics/Impedance.hpp"
#include "Dotfield/Instrument/Electronics/RedesignedImpedanceMeasurement.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"

namespace Dotfield {

// Measures every row of the table in order, hands each frequency and
// magnitude to the function and returns the measurements (phase 0, the row as
// the measurement settings). A false answer stops the scan with
// ElectronicsError.abortedByUser; measurement failures are thrown as they come.
std::vector<ImpedanceMeasurement>
performImpedanceScanBasedOnTable(const std::vector<ImpedanceCalibrationValue>& table, SerialPort& serialPort,
                                 const NewImpedanceValueFunction& newImpedanceValueFunction);

// The scan of the generation: the redesign's sweep, or the table scan. A
// failed exchange is thrown as the ElectronicsError it stands for.
std::vector<ImpedanceMeasurement> scanDispenserImpedance(ElectronicsHardwareGeneration generation,
                                                         const std::vector<ImpedanceCalibrationValue>& table,
                                                         SerialPort& serialPort,
                                                         const NewImpedanceValueFunction& newImpedanceValueFunction);

} // namespace Dotfield
