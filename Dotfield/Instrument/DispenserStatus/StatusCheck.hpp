#pragma once
// The dispenser status check: one status reading compared with the reference
// statistics, and the miscalibration question surface finding asks.

#include "Dotfield/Instrument/DispenserStatus/DispenserConnectionStatus.hpp"
#include "Dotfield/Instrument/DispenserStatus/StatisticalImpedanceMeasurement.hpp"

namespace Dotfield {

class Electronics;

struct DispenserStatusCheck {
    DispenserConnectionStatus status;
    // The five impedances just measured, in point order.
    DispenserStatusReading impedances;
};

// Takes one status reading (a failed reading is read once more) and classifies
// it. A second failure is an ElectronicsError (noise for garbled or short
// replies, electronicsDisconnected for failed driver calls and time-outs);
// other errors pass unchanged.
DispenserStatusCheck checkDispenserStatusBasedOnStatistics(const DispenserStatistics& statistics,
                                                           Electronics& electronics);

// Whether the dispenser reads as miscalibrated twice in a row, on the
// electronics queue, without updating the statistics. An open or shorted
// dispenser (or no statistics) throws
// ElectronicsError.dispenserDisconnectedMidOperation.
bool dispenserIsMiscalibrated(Electronics& electronics);

} // namespace Dotfield
