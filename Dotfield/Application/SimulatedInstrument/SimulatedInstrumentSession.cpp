#include "Dotfield/Application/SimulatedInstrument/SimulatedInstrumentSession.hpp"

#include <algorithm>
#include <stdexcept>

#include "Dotfield/Platform/THUM/THUMLibrary.hpp"
#include "adapterdriver/USB/BackendSelection.hpp"
#include "simulators/electronics/SimulatedElectronics.hpp"
#include "simulators/peers/HumiditySensor/SimulatedHumiditySensor.hpp"
#include "simulators/peers/RelayBox/SimulatedRelayBox.hpp"
#include "simulators/peers/Topology/SimulatedInstrument.hpp"

namespace Dotfield {

struct SimulatedInstrumentSession::Devices {
    std::unique_ptr<Simulators::SimulatedInstrument> cabling;
    std::shared_ptr<Simulators::SimulatedHumiditySensor> humiditySensor;
};

std::vector<std::string> SimulatedInstrumentSession::availableModels() {
    // No positioner model's controller is simulated yet.
    return {};
}

bool SimulatedInstrumentSession::isAvailable(const std::string& model) {
    const auto models = availableModels();
    return std::find(models.begin(), models.end(), model) != models.end();
}

SimulatedInstrumentSession::SimulatedInstrumentSession(const std::string&) : devices_(std::make_unique<Devices>()) {
    devices_->cabling = std::make_unique<Simulators::SimulatedInstrument>(Simulators::SimulatedInstrument::Peers{
        std::make_shared<Simulators::SimulatedElectronics>(Simulators::SimulatedElectronics::Generation::redesign2016),
        nullptr, std::make_shared<Simulators::SimulatedRelayBox>()});
    if (!adapterdriver::setUSBBackend(devices_->cabling->bus())) {
        throw std::runtime_error("the driver library refused the simulated bus");
    }
    devices_->humiditySensor = std::make_shared<Simulators::SimulatedHumiditySensor>();
    setTHUMBackend(devices_->humiditySensor);
}

SimulatedInstrumentSession::~SimulatedInstrumentSession() {
    setTHUMBackend(nullptr);
    adapterdriver::setUSBBackend(nullptr);
}

} // namespace Dotfield
