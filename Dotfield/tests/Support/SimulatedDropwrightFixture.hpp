#pragma once
// The whole simulated instrument installed under the driver library for one
// test, with the generic positioner on its positioner cable and the test
// robot model over it. The world runs faster than real time, so whole moves
// take milliseconds while the robot still waits on them as on hardware; the
// tests wait for a move's end, not for time. Links opened here have the
// tests' serial timing and are closed at the end of the test, before the
// instrument goes.

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortTiming.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/tests/Support/GenericPositionerRobot.hpp"
#include "Dotfield/tests/Support/SimulatedInstrumentBuilder.hpp"
#include "simulators/instrument/Positioners/Generic/SimulatedGenericPositioner.hpp"

namespace Dotfield::testing {

class SimulatedDropwrightFixture : public ::testing::Test {
  protected:
    // How much faster than real time the world runs.
    static constexpr double worldRate = 20.0;

    // Builds the instrument from `options` (change them in the test's
    // constructor, or before calling this) and the robot over it.
    void SetUp() override;
    void TearDown() override;

    // Opens a link with the tests' timing; it is closed at the end of the test.
    std::shared_ptr<SerialPort> openPort(const SerialPortProperties& properties);
    // What the robot is given to open its link with.
    Robot::SerialPortOpener opener();
    // Connects the robot (on the calling thread).
    void connectRobot();

    static SerialPortTiming shortTiming();

    // The generic positioner's command lines so far.
    std::vector<std::string> positionerCommands() const;

    ScopedMainThreadPump mainThread;
    Simulators::SimulatedInstrumentOptions options =
        Testing::SimulatedInstrumentBuilder(std::string(Simulators::genericPositionerModel))
            .worldRate(worldRate)
            .start({0.0, 0.0, 0.0})
            .withoutSurface()
            .options();
    std::unique_ptr<Testing::TestInstrument> instrument;
    std::shared_ptr<Simulators::InstrumentWorld> world;
    std::shared_ptr<Simulators::SimulatedGenericPositioner> positioner;
    std::shared_ptr<UserDefaults> store = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    std::shared_ptr<GenericPositionerRobot> robot;
};

} // namespace Dotfield::testing
