#pragma once
// The simulated electronics of one generation on interface A of the
// instrument's dual adapter, and the electronics link opened to them through
// the driver library, with time-outs cut down so that tests of silence take a
// fraction of a second.

#include <memory>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortTiming.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "simulators/electronics/SimulatedElectronics.hpp"
#include "simulators/peers/Topology/SimulatedInstrument.hpp"

class SimulatedElectronicsFixture : public testing::Test {
  protected:
    using Generation = Simulators::SimulatedElectronics::Generation;

    explicit SimulatedElectronicsFixture(Generation generation = Generation::originalDesign)
        : generation_(generation) {}

    void SetUp() override;
    void TearDown() override;

    // Opens the link again with other time-outs.
    void reopenPort(const Dotfield::SerialPortTiming& timing);
    static Dotfield::SerialPortTiming shortTiming();

    // The kind of each command the electronics understood, in order.
    std::vector<Simulators::SimulatedElectronics::Command::Kind> commandKinds() const;

    Dotfield::ScopedMainThreadPump mainThread;
    std::shared_ptr<Simulators::SimulatedElectronics> electronics;
    std::unique_ptr<Simulators::SimulatedInstrument> instrument;
    std::shared_ptr<Dotfield::SerialPort> port;

  private:
    Generation generation_;
};

class RedesignedElectronicsFixture : public SimulatedElectronicsFixture {
  protected:
    RedesignedElectronicsFixture() : SimulatedElectronicsFixture(Generation::redesign2016) {}
};
