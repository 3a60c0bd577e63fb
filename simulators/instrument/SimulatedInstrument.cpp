#include "simulators/instrument/SimulatedInstrument.hpp"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "Dotfield/Platform/THUM/THUMLibrary.hpp"
#include "adapterdriver/USB/BackendSelection.hpp"
#include "simulators/instrument/World/WorldAttachments.hpp"

namespace Simulators {

const std::vector<std::string>& SimulatedDropwright::applicationModels() {
    static const std::vector<std::string> models{"IIa", "IIb", "Desktop", "Proto"};
    return models;
}

SimulatedDropwright::SimulatedDropwright(SimulatedInstrumentOptions options)
    : positionerModel_(std::move(options.positionerModel)) {
    const PositionerPeerModel* model = options.positioners.find(positionerModel_);
    const auto& known = applicationModels();
    if (model == nullptr && std::find(known.begin(), known.end(), positionerModel_) == known.end()) {
        throw std::invalid_argument("No simulated positioner is called \"" + positionerModel_ + "\"");
    }

    WorldConfiguration configuration;
    if (model != nullptr) {
        configuration.travel = model->travel;
        configuration.travelFrom = model->travelFrom;
    }
    configuration.start = options.start;
    configuration.homed = options.homed;
    if (options.surface) {
        options.surface->height += configuration.travelFrom.z;
    }
    configuration.surface = std::move(options.surface);
    configuration.clock = std::move(options.clock);
    world_ = std::make_shared<InstrumentWorld>(std::move(configuration));

    electronics_ = std::make_shared<SimulatedElectronics>(options.electronicsGeneration);
    relayBox_ = std::make_shared<SimulatedRelayBox>();
    humiditySensor_ = std::make_shared<SimulatedHumiditySensor>();
    if (model != nullptr) {
        positioner_ = model->makePeer(world_);
    }
    attachElectronics(world_, *electronics_);
    attachRelayBox(world_, *relayBox_);
    cabling_ = std::make_unique<SimulatedInstrument>(SimulatedInstrument::Peers{electronics_, positioner_, relayBox_},
                                                     world_->clock());

    if (!adapterdriver::setUSBBackend(cabling_->bus())) {
        detachElectronics(*electronics_);
        detachRelayBox(*relayBox_);
        throw std::runtime_error("The simulated instrument cannot take over the USB bus while an adapter is open");
    }
    Dotfield::setTHUMBackend(humiditySensor_);
}

SimulatedDropwright::~SimulatedDropwright() {
    Dotfield::setTHUMBackend(nullptr);
    // Refused only while a port is still open; the bus then stays with the
    // driver library, which keeps it alive, and the peers are detached below.
    adapterdriver::setUSBBackend(nullptr);
    detachElectronics(*electronics_);
    detachRelayBox(*relayBox_);
    cabling_.reset();
}

} // namespace Simulators
