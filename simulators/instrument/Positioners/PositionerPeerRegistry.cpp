#include "simulators/instrument/Positioners/PositionerPeerRegistry.hpp"

#include <algorithm>
#include <utility>

#include "simulators/instrument/Positioners/Generic/SimulatedGenericPositioner.hpp"
#include "simulators/instrument/Positioners/Gilson/SimulatedGilsonController.hpp"
#include "simulators/instrument/Positioners/Proto/SimulatedProtoControllers.hpp"
#include "simulators/instrument/Positioners/SmartMotor/SimulatedSmartMotorBus.hpp"

namespace Simulators {

void PositionerPeerRegistry::add(PositionerPeerModel model) {
    const auto same = std::find_if(models_.begin(), models_.end(),
                                   [&](const PositionerPeerModel& known) { return known.name == model.name; });
    if (same != models_.end()) {
        *same = std::move(model);
    } else {
        models_.push_back(std::move(model));
    }
}

const PositionerPeerModel* PositionerPeerRegistry::find(std::string_view name) const {
    const auto found = std::find_if(models_.begin(), models_.end(),
                                    [&](const PositionerPeerModel& known) { return known.name == name; });
    return found == models_.end() ? nullptr : &*found;
}

std::vector<std::string> PositionerPeerRegistry::names() const {
    std::vector<std::string> names;
    for (const auto& model : models_) {
        names.push_back(model.name);
    }
    return names;
}

PositionerPeerRegistry builtInPositionerPeers() {
    PositionerPeerRegistry registry;
    registry.add({std::string(genericPositionerModel), WorldPoint{300000.0, 300000.0, 90000.0},
                  [](std::shared_ptr<InstrumentWorld> world) -> std::shared_ptr<SimulatedPeer> {
                      return std::make_shared<SimulatedGenericPositioner>(std::move(world));
                  }});
    registry.add({"IIa", WorldPoint{311000.0, 304000.0, 104000.0},
                  [](std::shared_ptr<InstrumentWorld> world) -> std::shared_ptr<SimulatedPeer> {
                      return std::make_shared<SimulatedSmartMotorBus>(std::move(world),
                                                                      SimulatedSmartMotorBus::Generation::older);
                  }});
    registry.add({"IIb", WorldPoint{357500.0, 307500.0, 109250.0},
                  [](std::shared_ptr<InstrumentWorld> world) -> std::shared_ptr<SimulatedPeer> {
                      return std::make_shared<SimulatedSmartMotorBus>(std::move(world),
                                                                      SimulatedSmartMotorBus::Generation::newer);
                  }});
    // X runs the length the newer cable allows; Z the 53.6 mm below the home
    // switch at its top, which the controller reads as 100 mm: the world
    // counts Z as the controller does, so a robot position is a world one.
    registry.add({"Desktop", WorldPoint{387000.0, 293000.0, SimulatedGilsonController::zAtHomeSwitch * 1000.0},
                  [](std::shared_ptr<InstrumentWorld> world) -> std::shared_ptr<SimulatedPeer> {
                      return std::make_shared<SimulatedGilsonController>(std::move(world));
                  },
                  WorldPoint{0.0, 0.0, SimulatedGilsonController::zAtHomeSwitch * 1000.0 - 53600.0}});
    registry.add({"Proto", WorldPoint{306000.0, 306000.0, 90000.0},
                  [](std::shared_ptr<InstrumentWorld> world) -> std::shared_ptr<SimulatedPeer> {
                      return std::make_shared<SimulatedProtoControllers>(std::move(world));
                  }});
    return registry;
}

} // namespace Simulators
