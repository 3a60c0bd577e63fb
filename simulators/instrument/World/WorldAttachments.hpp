#pragma once
// Connects the electronics and the relay box to the world: the electronics
// see the dispenser's on-surface response while the tip touches the surface,
// and the world records the outputs of both (dispenser drives, UV exposures).
// The hooks hold the world weakly, so either side may go first; detach before
// handing a peer to another world.

#include <memory>

#include "simulators/electronics/SimulatedElectronics.hpp"
#include "simulators/instrument/World/InstrumentWorld.hpp"
#include "simulators/peers/RelayBox/SimulatedRelayBox.hpp"

namespace Simulators {

void attachElectronics(const std::shared_ptr<InstrumentWorld>& world, SimulatedElectronics& electronics);
void detachElectronics(SimulatedElectronics& electronics);

void attachRelayBox(const std::shared_ptr<InstrumentWorld>& world, SimulatedRelayBox& relayBox);
void detachRelayBox(SimulatedRelayBox& relayBox);

} // namespace Simulators
