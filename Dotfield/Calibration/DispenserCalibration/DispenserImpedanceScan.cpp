#include "Dotfield/Calibration/DispenserCalibration/DispenserImpedanceScan.hpp"

#include "Dotfield/Instrument/Electronics/ElectronicsErrorConversion.hpp"
#include "Dotfield/Instrument/Electronics/ImpedanceMeasurementCommands.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

std::vector<ImpedanceMeasurement>
performImpedanceScanBasedOnTable(const std::vector<ImpedanceCalibrationValue>& table, SerialPort& serialPort,
                                 const NewImpedanceValueFunction& newImpedanceValueFunction) {
    std::vector<ImpedanceMeasurement> measurements;
    measurements.reserve(table.size());
    for (const auto& row : table) {
        const Impedance impedance = measureImpedanceAtFrequency(row.frequency, row.delay, serialPort);
        measurements.push_back({impedance.magnitude, impedance.phase, row});
        if (!newImpedanceValueFunction(row.frequency, impedance.magnitude)) {
            throw Diagnostics::logAndReturnError(ElectronicsError(ElectronicsError::Kind::abortedByUser));
        }
    }
    return measurements;
}

std::vector<ImpedanceMeasurement> scanDispenserImpedance(ElectronicsHardwareGeneration generation,
                                                         const std::vector<ImpedanceCalibrationValue>& table,
                                                         SerialPort& serialPort,
                                                         const NewImpedanceValueFunction& newImpedanceValueFunction) {
    // The scans pass the link's errors up as they are; the operator needs the
    // electronics' own alert (with its reconnection) for them.
    return convertingCommunicationsErrors([&] {
        if (generation == ElectronicsHardwareGeneration::redesign2016) {
            return performImpedanceScanPV(serialPort, newImpedanceValueFunction);
        }
        return performImpedanceScanBasedOnTable(table, serialPort, newImpedanceValueFunction);
    });
}

} // namespace Dotfield
