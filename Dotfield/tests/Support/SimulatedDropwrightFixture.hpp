#pragma once
// The whole simulated instrument installed under the driver library for one
// test, with the generic positioner on its positioner cable and the test
// robot model over it. The world runs faster than real time, so whole moves
// take milliseconds while the robot still waits on them as on hardware. Links
// opened here have short time-outs and are closed at the end of the test,
// before the instrument goes.

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortTiming.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/tests/Support/GenericPositionerRobot.hpp"
#include "simulators/instrument/Positioners/Generic/SimulatedGenericPositioner.hpp"
#include "simulators/instrument/SimulatedInstrument.hpp"

namespace Dotfield::testing {

class SimulatedDropwrightFixture : public ::testing::Test {
  protected:
    // How much faster than real time the world runs.
    static constexpr double worldRate = 20.0;

    SimulatedDropwrightFixture();

    // Builds the instrument from `options` (change them in the test's
    // constructor, or before calling this) and the robot over it.
    void SetUp() override;
    void TearDown() override;

    // Opens a link with short time-outs; it is closed at the end of the test.
    std::shared_ptr<SerialPort> openPort(const SerialPortProperties& properties);
    // What the robot is given to open its link with.
    Robot::SerialPortOpener opener();
    // Connects the robot (on the calling thread).
    void connectRobot();

    static SerialPortTiming shortTiming();

    // The generic positioner's command lines so far.
    std::vector<std::string> positionerCommands() const;

    ScopedMainThreadPump mainThread;
    Simulators::SimulatedInstrumentOptions options;
    std::unique_ptr<Simulators::SimulatedDropwright> instrument;
    std::shared_ptr<Simulators::InstrumentWorld> world;
    std::shared_ptr<Simulators::SimulatedGenericPositioner> positioner;
    std::shared_ptr<UserDefaults> store = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    std::shared_ptr<GenericPositionerRobot> robot;

  private:
    std::vector<std::shared_ptr<SerialPort>> ports_;
};

} // namespace Dotfield::testing
