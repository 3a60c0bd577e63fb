#include "Dotfield/Application/SimulatedInstrument/SimulatedInstrumentSession.hpp"

#include <algorithm>

#include "simulators/instrument/SimulatedInstrument.hpp"

namespace Dotfield {

struct SimulatedInstrumentSession::Devices {
    std::unique_ptr<Simulators::SimulatedDropwright> instrument;
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
}

SimulatedInstrumentSession::~SimulatedInstrumentSession() = default;

} // namespace Dotfield
