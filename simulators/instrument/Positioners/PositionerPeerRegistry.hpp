#pragma once
// The simulated positioner controllers by model name. Each model's peer
// registers itself in builtInPositionerPeers() with the travel of its axes;
// the simulated instrument asks the registry for the model it is built for.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "simulators/instrument/World/InstrumentWorld.hpp"
#include "simulators/peers/SimulatedPeer.hpp"

namespace Simulators {

struct PositionerPeerModel {
    std::string name;
    // The travel of the model's axes in the world, µm: the top of each.
    WorldPoint travel;
    // Makes the controller peer that moves the world.
    std::function<std::shared_ptr<SimulatedPeer>(std::shared_ptr<InstrumentWorld>)> makePeer;
    // The bottom of each axis's travel, µm.
    WorldPoint travelFrom{};
};

class PositionerPeerRegistry {
  public:
    // Replaces a model of the same name.
    void add(PositionerPeerModel model);
    // Nothing for a name no model registered.
    const PositionerPeerModel* find(std::string_view name) const;
    std::vector<std::string> names() const;

  private:
    std::vector<PositionerPeerModel> models_;
};

// The name the test positioner registers under.
inline constexpr std::string_view genericPositionerModel = "Generic";

// Every positioner peer of this tree.
PositionerPeerRegistry builtInPositionerPeers();

} // namespace Simulators
