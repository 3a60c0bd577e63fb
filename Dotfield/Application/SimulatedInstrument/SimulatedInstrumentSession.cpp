#include "Dotfield/Application/SimulatedInstrument/SimulatedInstrumentSession.hpp"

#include <algorithm>

#include "Dotfield/Camera/IIDC/IIDCBackendSelection.hpp"
#include "simulators/camera/SimulatedIIDCBus.hpp"
#include "simulators/camera/WorldSurfaceScene.hpp"
#include "simulators/instrument/SimulatedInstrument.hpp"

namespace Dotfield {

struct SimulatedInstrumentSession::Devices {
    std::unique_ptr<Simulators::SimulatedDropwright> instrument;
    // The instrument's camera, filming the surface under the tip.
    std::shared_ptr<Simulators::SimulatedIIDCBus> cameraBus;
};

std::vector<std::string> SimulatedInstrumentSession::availableModels() {
    const auto registered = Simulators::builtInPositionerPeers().names();
    std::vector<std::string> models;
    for (const auto& model : Simulators::SimulatedDropwright::applicationModels()) {
        if (std::find(registered.begin(), registered.end(), model) != registered.end()) {
            models.push_back(model);
        }
    }
    return models;
}

bool SimulatedInstrumentSession::isAvailable(const std::string& model) {
    const auto models = availableModels();
    return std::find(models.begin(), models.end(), model) != models.end();
}

SimulatedInstrumentSession::SimulatedInstrumentSession(const std::string& model)
    : devices_(std::make_unique<Devices>()) {
    // Real time; the positioner homed, over a flat deck.
    Simulators::SimulatedInstrumentOptions options;
    options.positionerModel = model;
    devices_->instrument = std::make_unique<Simulators::SimulatedDropwright>(std::move(options));
    devices_->cameraBus = std::make_shared<Simulators::SimulatedIIDCBus>();
    auto camera = devices_->cameraBus->plugIn(Simulators::SimulatedCameraProfile::of(
        Simulators::SimulatedCameraKind::format7WithoutMode79, 0x00B09D0100C0FFEEULL));
    camera->setScene(std::make_shared<Simulators::WorldSurfaceScene>(devices_->instrument->world()));
    camera->setRealTime(true);
    setIIDCBackend(devices_->cameraBus);
}

SimulatedInstrumentSession::~SimulatedInstrumentSession() {
    setIIDCBackend(nullptr);
}

} // namespace Dotfield
