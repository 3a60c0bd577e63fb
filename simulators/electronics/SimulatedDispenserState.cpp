#include "simulators/electronics/SimulatedDispenserState.hpp"

#include <vector>

namespace Simulators {

namespace {

// The rise of the whole impedance at full contact with the surface.
constexpr double fullContactLoading = 0.5;

DispenserImpedanceModel scaled(const DispenserImpedanceModel& model, double factor) {
    std::vector<DispenserResonance> resonances = model.resonances();
    for (auto& resonance : resonances) {
        resonance.strength *= factor;
    }
    return DispenserImpedanceModel(model.baseline() * factor, std::move(resonances), model.resonancePairs());
}

} // namespace

DispenserImpedanceModel dispenserInState(SimulatedDispenserState state, const DispenserImpedanceModel& freeDispenser,
                                         double surfaceContact) {
    switch (state) {
    case SimulatedDispenserState::offSurface:
        return freeDispenser;
    case SimulatedDispenserState::onSurface:
        return scaled(freeDispenser, 1.0 + fullContactLoading * surfaceContact);
    case SimulatedDispenserState::shorted:
        return DispenserImpedanceModel::flat(shortedDispenserMagnitude);
    case SimulatedDispenserState::disconnected:
        return DispenserImpedanceModel::flat(disconnectedDispenserMagnitude);
    }
    return freeDispenser;
}

void setDispenserState(SimulatedElectronics& electronics, SimulatedDispenserState state,
                       const DispenserImpedanceModel& freeDispenser, double surfaceContact) {
    electronics.setDispenser(dispenserInState(state, freeDispenser, surfaceContact));
}

} // namespace Simulators
