#pragma once
// The whole simulated instrument for the application's simulated mode and for
// tests: one world; the dispenser electronics on the dual adapter's interface
// A and the chosen positioner model's controller peer on its interface B; the
// relay box on its own adapter; the humidity sensor. Building it installs its
// USB bus under the driver library and its sensor under the sensor library,
// so it must be built before any adapter is opened; destroying it puts the
// real ones back (close every port first).
//
//   Simulators::SimulatedDropwright instrument({.positionerModel = "IIa"});
//
// The application's models are "IIa", "IIb", "Desktop" and "Proto"; a model
// whose controller peer has not been registered yet (see
// PositionerPeerRegistry.hpp) gets an empty positioner cable, so its robot
// finds no controller. Tests also use "Generic", the test positioner.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "simulators/electronics/SimulatedElectronics.hpp"
#include "simulators/instrument/Positioners/PositionerPeerRegistry.hpp"
#include "simulators/instrument/World/InstrumentWorld.hpp"
#include "simulators/peers/HumiditySensor/SimulatedHumiditySensor.hpp"
#include "simulators/peers/RelayBox/SimulatedRelayBox.hpp"
#include "simulators/peers/Topology/SimulatedInstrument.hpp"

namespace Simulators {

struct SimulatedInstrumentOptions {
    std::string positionerModel = "IIb";
    SimulatedElectronics::Generation electronicsGeneration = SimulatedElectronics::Generation::redesign2016;
    // Unset: real time.
    std::shared_ptr<WorldClock> clock{};
    // A flat deck 10 mm above the bottom of the Z travel unless told
    // otherwise; its height counts from the bottom of the model's Z travel
    // (the world's surface() answers it in world positions).
    std::optional<SimulatedSurface> surface = SimulatedSurface::plane(10000.0);
    // Where the axes are at the start, in world positions; unset: at the
    // home switches.
    std::optional<WorldPoint> start{};
    // False: the positioner needs homing before it moves.
    bool homed = true;
    PositionerPeerRegistry positioners = builtInPositionerPeers();
};

class SimulatedDropwright {
  public:
    // Throws std::invalid_argument for a model name that is neither one of the
    // application's models nor registered, and std::runtime_error when the
    // driver library refuses the bus (an adapter is still open).
    explicit SimulatedDropwright(SimulatedInstrumentOptions options = {});
    ~SimulatedDropwright();
    SimulatedDropwright(const SimulatedDropwright&) = delete;
    SimulatedDropwright& operator=(const SimulatedDropwright&) = delete;

    // "IIa", "IIb", "Desktop", "Proto".
    static const std::vector<std::string>& applicationModels();

    const std::string& positionerModel() const { return positionerModel_; }
    const std::shared_ptr<InstrumentWorld>& world() const { return world_; }
    const std::shared_ptr<SimulatedElectronics>& electronics() const { return electronics_; }
    const std::shared_ptr<SimulatedRelayBox>& relayBox() const { return relayBox_; }
    const std::shared_ptr<SimulatedHumiditySensor>& humiditySensor() const { return humiditySensor_; }
    // Nothing when the model has no registered peer.
    const std::shared_ptr<SimulatedPeer>& positioner() const { return positioner_; }
    // The adapters and their cables.
    SimulatedInstrument& cabling() const { return *cabling_; }

  private:
    std::string positionerModel_;
    std::shared_ptr<InstrumentWorld> world_;
    std::shared_ptr<SimulatedElectronics> electronics_;
    std::shared_ptr<SimulatedRelayBox> relayBox_;
    std::shared_ptr<SimulatedHumiditySensor> humiditySensor_;
    std::shared_ptr<SimulatedPeer> positioner_;
    std::unique_ptr<SimulatedInstrument> cabling_;
};

} // namespace Simulators
