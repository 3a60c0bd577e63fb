#pragma once
// What happens to the dispenser at the far side of the simulated electronics,
// in the states the status check tells apart: hanging free above the surface,
// touching it, shorted, or with its cable pulled.
//
// Touching the surface loads the dispenser: its whole impedance rises by half
// at full contact (surfaceContact 1), proportionally less at partial contact.
// A shorted dispenser reads 20 at every frequency (below the short-circuit
// limit of 200), a disconnected one 2000 (inside the open-circuit band, which
// ends at 10000).

#include "simulators/electronics/DispenserImpedanceModel.hpp"
#include "simulators/electronics/SimulatedElectronics.hpp"

namespace Simulators {

enum class SimulatedDispenserState { offSurface, onSurface, shorted, disconnected };

inline constexpr double shortedDispenserMagnitude = 20.0;
inline constexpr double disconnectedDispenserMagnitude = 2000.0;

// The impedance the electronics see with the free dispenser in the state.
DispenserImpedanceModel dispenserInState(SimulatedDispenserState state, const DispenserImpedanceModel& freeDispenser,
                                         double surfaceContact = 1.0);

// Puts the simulated electronics' dispenser into the state.
void setDispenserState(SimulatedElectronics& electronics, SimulatedDispenserState state,
                       const DispenserImpedanceModel& freeDispenser = DispenserImpedanceModel::typicalDispenser(),
                       double surfaceContact = 1.0);

} // namespace Simulators
