#pragma once
// How every test assembles the simulated instrument: the positioner model,
// the world's clock, the surface, where the axes start, the electronics'
// generation and which devices are cabled. Unless told otherwise the
// instrument is the application's: real time, homed over a flat deck.
//
//   Simulators::SimulatedInstrumentOptions options =
//       SimulatedInstrumentBuilder("IIb").worldRate(20.0).withoutSurface().options();
//   auto instrument = std::make_unique<TestInstrument>(options);
//
// Fixtures keep the options so that a test can change them before the
// instrument is built.

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "Dotfield/tests/Support/TestInstrument.hpp"
#include "simulators/instrument/SimulatedInstrument.hpp"

namespace Dotfield::Testing {

class SimulatedInstrumentBuilder {
  public:
    // "IIa", "IIb", "Desktop", "Proto" or Simulators::genericPositionerModel.
    explicit SimulatedInstrumentBuilder(std::string model);

    // The world runs on the machine's time multiplied by the rate: for tests
    // that wait for an event (a move ended) and then look at the outcome.
    SimulatedInstrumentBuilder& worldRate(double rate);
    // The world runs on the clock given: a stepped clock the test moves, or
    // one of the test's own.
    SimulatedInstrumentBuilder& worldClock(std::shared_ptr<Simulators::WorldClock> clock);
    SimulatedInstrumentBuilder& surface(Simulators::SimulatedSurface surface);
    SimulatedInstrumentBuilder& withoutSurface();
    SimulatedInstrumentBuilder& start(Simulators::WorldPoint start);
    SimulatedInstrumentBuilder& electronics(Simulators::SimulatedElectronics::Generation generation);
    // The positioner cable stays empty: only the electronics, the relay box
    // and the humidity sensor answer.
    SimulatedInstrumentBuilder& withoutPositioner();

    const Simulators::SimulatedInstrumentOptions& options() const { return options_; }
    std::unique_ptr<TestInstrument> build() const;

  private:
    Simulators::SimulatedInstrumentOptions options_;
};

} // namespace Dotfield::Testing
