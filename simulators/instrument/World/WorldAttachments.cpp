#include "simulators/instrument/World/WorldAttachments.hpp"

#include "simulators/electronics/SimulatedDispenserState.hpp"

namespace Simulators {

void attachElectronics(const std::shared_ptr<InstrumentWorld>& world, SimulatedElectronics& electronics) {
    const std::weak_ptr<InstrumentWorld> weak = world;
    electronics.setDispenserHook([weak](const DispenserImpedanceModel& dispenser) {
        const auto strong = weak.lock();
        if (strong && strong->tipTouchesSurface()) {
            return dispenserInState(SimulatedDispenserState::onSurface, dispenser);
        }
        return dispenser;
    });
    electronics.setOutputListener(
        [weak](SimulatedElectronics::RelayPosition relay, double volts, double frequencyHz) {
            if (const auto strong = weak.lock()) {
                strong->electronicsOutputChanged(relay == SimulatedElectronics::RelayPosition::waveformGenerator,
                                                 volts, frequencyHz);
            }
        });
}

void detachElectronics(SimulatedElectronics& electronics) {
    electronics.setDispenserHook(nullptr);
    electronics.setOutputListener(nullptr);
}

void attachRelayBox(const std::shared_ptr<InstrumentWorld>& world, SimulatedRelayBox& relayBox) {
    const std::weak_ptr<InstrumentWorld> weak = world;
    relayBox.setOutputListener([weak](bool closed) {
        if (const auto strong = weak.lock()) {
            strong->relayOutputChanged(closed);
        }
    });
    if (relayBox.isClosed()) {
        world->relayOutputChanged(true);
    }
}

void detachRelayBox(SimulatedRelayBox& relayBox) {
    relayBox.setOutputListener(nullptr);
}

} // namespace Simulators
