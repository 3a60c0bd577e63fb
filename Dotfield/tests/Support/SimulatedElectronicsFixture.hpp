#pragma once
// The simulated electronics of one generation on interface A of the
// instrument's dual adapter (the instrument built without a positioner), and
// the electronics link opened to them through the driver library with the
// tests' serial timing.

#include <memory>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortTiming.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/tests/Support/TestInstrument.hpp"
#include "simulators/electronics/SimulatedElectronics.hpp"

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
    std::unique_ptr<Dotfield::Testing::TestInstrument> instrument;
    std::shared_ptr<Dotfield::SerialPort> port;

  private:
    Generation generation_;
};

class RedesignedElectronicsFixture : public SimulatedElectronicsFixture {
  protected:
    RedesignedElectronicsFixture() : SimulatedElectronicsFixture(Generation::redesign2016) {}
};
