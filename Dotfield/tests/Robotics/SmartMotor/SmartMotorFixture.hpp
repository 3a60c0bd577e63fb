#pragma once
// The simulated instrument with the SmartMotor bus as its positioner and a
// generation-II robot over it. The world runs faster than real time; the
// robot's pauses (homing, tuning) go to a sleeper that records them and
// returns at once. Console messages are captured for the tests that look
// for them.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/Clock.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Robotics/Models/DropwrightIIa.hpp"
#include "Dotfield/tests/Support/ConsoleCapture.hpp"
#include "Dotfield/tests/Support/SimulatedInstrumentBuilder.hpp"
#include "simulators/instrument/Positioners/SmartMotor/SimulatedSmartMotorBus.hpp"

namespace Dotfield::testing {

class RecordingSleeper final : public Sleeper {
  public:
    using Sleeper::sleep;
    void sleep(Clock::Duration duration) override { pauses.push_back(duration); }
    std::vector<Clock::Duration> pauses;
};

class SmartMotorFixture : public ::testing::Test {
  protected:
    static constexpr double worldRate = 20.0;
    using Bus = Simulators::SimulatedSmartMotorBus;
    using Command = Bus::Command;

    // "IIa" or "IIb".
    explicit SmartMotorFixture(std::string model = "IIb");

    void SetUp() override;
    void TearDown() override;

    // A link to the bus with the tests' timing; closed at the end of the test.
    std::shared_ptr<SerialPort> openPort(std::uint32_t baudRate);
    Robot::SerialPortOpener opener();
    // Sets the robot's link up and hands it over (no position read or homing test).
    void connect();
    // The transcript's commands to one motor (0 X, 1 Y, 2 Z, 3 all).
    std::vector<Command> commandsTo(int motor) const;
    // Texts "KP=16000", "F", ... of one motor's transcript.
    std::vector<std::string> textsTo(int motor) const;

    ScopedMainThreadPump mainThread;
    std::string model;
    Simulators::SimulatedInstrumentOptions options;
    std::unique_ptr<Testing::TestInstrument> instrument;
    std::shared_ptr<Simulators::InstrumentWorld> world;
    std::shared_ptr<Bus> bus;
    std::shared_ptr<UserDefaults> store = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    std::shared_ptr<RecordingSleeper> sleeper = std::make_shared<RecordingSleeper>();
    std::shared_ptr<DropwrightIIa> robot;
};

} // namespace Dotfield::testing
