#pragma once
// The simulated instrument with the Gilson controller as its positioner and a
// DropwrightDesktop over it. The world runs faster than real time; the
// robot's pauses go to a manual clock that adds them up and returns at once.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/Clock.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Robotics/Models/DropwrightDesktop.hpp"
#include "Dotfield/tests/Support/ConsoleCapture.hpp"
#include "Dotfield/tests/Support/SimulatedInstrumentBuilder.hpp"
#include "simulators/instrument/Positioners/Gilson/SimulatedGilsonController.hpp"

namespace Dotfield::testing {

class GilsonFixture : public ::testing::Test {
  protected:
    static constexpr double worldRate = 20.0;
    using Controller = Simulators::SimulatedGilsonController;

    GilsonFixture();

    void SetUp() override;
    void TearDown() override;

    // A link to the controller (19200 baud, even parity) with the tests'
    // timing, on the given clock (the machine's when none); closed after the test.
    std::shared_ptr<SerialPort> openPort(std::shared_ptr<Clock> clock = nullptr);
    Robot::SerialPortOpener opener();
    // A new robot over the store (the settings read now).
    void makeRobot();
    // Sets the robot's link up and hands it over (no position read or homing test).
    void connect();
    // The bytes the controller took from the host since the count was taken.
    std::vector<std::uint8_t> bytesSince(std::size_t count) const;
    // How often the byte sequence occurs in the bytes.
    static std::size_t occurrences(const std::vector<std::uint8_t>& bytes, const std::vector<std::uint8_t>& part);
    // The transcript's buffered command texts, in order.
    std::vector<std::string> bufferedCommands() const;
    // Waits until no axis of the world moves.
    void waitForWorldToStand() const;

    ScopedMainThreadPump mainThread;
    Simulators::SimulatedInstrumentOptions options =
        Testing::SimulatedInstrumentBuilder("Desktop").worldRate(worldRate).withoutSurface().options();
    std::unique_ptr<Testing::TestInstrument> instrument;
    std::shared_ptr<Simulators::InstrumentWorld> world;
    std::shared_ptr<Controller> controller;
    std::shared_ptr<UserDefaults> store = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    std::shared_ptr<ManualClock> pauses = std::make_shared<ManualClock>();
    std::shared_ptr<DropwrightDesktop> robot;
};

} // namespace Dotfield::testing
