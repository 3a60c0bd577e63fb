#pragma once
// The simulated electronics of one generation on interface A of the
// instrument's dual adapter (the instrument built without a positioner), and
// the electronics link opened to them through the driver library with the
// tests' serial timing. The world runs on the builder's clock unless the
// fixture is given one (a stepped clock makes byte times cost no wall time).

#include <memory>
#include <utility>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortTiming.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/tests/Support/TestInstrument.hpp"
#include "simulators/electronics/SimulatedElectronics.hpp"
#include "simulators/instrument/World/WorldClock.hpp"

class SimulatedElectronicsFixture : public testing::Test {
  protected:
    using Generation = Simulators::SimulatedElectronics::Generation;

    explicit SimulatedElectronicsFixture(Generation generation = Generation::originalDesign,
                                         std::shared_ptr<Simulators::WorldClock> clock = nullptr)
        : generation_(generation), clock_(std::move(clock)) {}

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
    std::shared_ptr<Simulators::WorldClock> clock_;
};

class RedesignedElectronicsFixture : public SimulatedElectronicsFixture {
  protected:
    explicit RedesignedElectronicsFixture(std::shared_ptr<Simulators::WorldClock> clock = nullptr)
        : SimulatedElectronicsFixture(Generation::redesign2016, std::move(clock)) {}
};
