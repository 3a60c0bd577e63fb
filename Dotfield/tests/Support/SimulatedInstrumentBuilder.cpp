#include "Dotfield/tests/Support/SimulatedInstrumentBuilder.hpp"

#include <utility>

namespace Dotfield::Testing {

SimulatedInstrumentBuilder::SimulatedInstrumentBuilder(std::string model) {
    options_.positionerModel = std::move(model);
}

SimulatedInstrumentBuilder& SimulatedInstrumentBuilder::worldRate(double rate) {
    options_.clock = std::make_shared<Simulators::RealTimeWorldClock>(rate);
    return *this;
}

SimulatedInstrumentBuilder& SimulatedInstrumentBuilder::worldClock(std::shared_ptr<Simulators::WorldClock> clock) {
    options_.clock = std::move(clock);
    return *this;
}

SimulatedInstrumentBuilder& SimulatedInstrumentBuilder::surface(Simulators::SimulatedSurface surface) {
    options_.surface = std::move(surface);
    return *this;
}

SimulatedInstrumentBuilder& SimulatedInstrumentBuilder::withoutSurface() {
    options_.surface = std::nullopt;
    return *this;
}

SimulatedInstrumentBuilder& SimulatedInstrumentBuilder::start(Simulators::WorldPoint start) {
    options_.start = start;
    return *this;
}

SimulatedInstrumentBuilder&
SimulatedInstrumentBuilder::electronics(Simulators::SimulatedElectronics::Generation generation) {
    options_.electronicsGeneration = generation;
    return *this;
}

SimulatedInstrumentBuilder& SimulatedInstrumentBuilder::withoutPositioner() {
    options_.positioners = Simulators::PositionerPeerRegistry{};
    return *this;
}

std::unique_ptr<TestInstrument> SimulatedInstrumentBuilder::build() const {
    return std::make_unique<TestInstrument>(options_);
}

} // namespace Dotfield::Testing
