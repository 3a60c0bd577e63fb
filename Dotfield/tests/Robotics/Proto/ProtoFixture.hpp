#pragma once
// The simulated instrument with the prototype's stepper controllers as its
// positioner and a DropwrightProto over it, through the real serial link,
// driver library and simulated bus.
//
// Time: the world's clock moves on by a fixed step each time the world is
// looked at, and the robot's clock reads the world's time. So a move lasts a
// fixed number of status polls, however busy the machine, and the robot's
// timed waits count world seconds.

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/Clock.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Robotics/Models/DropwrightProto.hpp"
#include "Dotfield/tests/Support/ConsoleCapture.hpp"
#include "Dotfield/tests/Support/SimulatedInstrumentBuilder.hpp"
#include "simulators/instrument/Positioners/Proto/SimulatedProtoControllers.hpp"

namespace Dotfield::testing {

// Each look moves the time on by the step.
class TickingWorldClock final : public Simulators::WorldClock {
  public:
    explicit TickingWorldClock(std::chrono::nanoseconds step) : step_(step.count()) {}
    std::chrono::nanoseconds now() const override {
        return std::chrono::nanoseconds(elapsed_.fetch_add(step_) + step_);
    }
    // The time without moving it.
    std::chrono::nanoseconds peek() const { return std::chrono::nanoseconds(elapsed_.load()); }

  private:
    const std::chrono::nanoseconds::rep step_;
    mutable std::atomic<std::chrono::nanoseconds::rep> elapsed_{0};
};

// The world's time as the robot's clock.
class WorldTimeClock final : public Clock {
  public:
    explicit WorldTimeClock(std::shared_ptr<TickingWorldClock> world) : world_(std::move(world)) {}
    TimePoint now() const override { return TimePoint(world_->peek()); }
    bool waitUntil(TimePoint, WakeSignal&) override { return true; }

  private:
    std::shared_ptr<TickingWorldClock> world_;
};

class ProtoFixture : public ::testing::Test {
  protected:
    using Controllers = Simulators::SimulatedProtoControllers;
    using Command = Controllers::Command;
    using WorldAxis = Simulators::WorldAxis;

    // Builds the instrument from `options` and the robot over it (change
    // either in the test's constructor).
    void SetUp() override;
    void TearDown() override;

    // A link to the controllers with the tests' timing; closed at the end.
    std::shared_ptr<SerialPort> openPort();
    Robot::SerialPortOpener opener();
    // Opens the robot's link and sets the controllers up (no position read,
    // no homing test).
    void connect();
    // Makes the robot anew with the clock, keeping its link.
    void remakeRobot(std::shared_ptr<Clock> clock);

    // The texts sent to one controller character ('1', '2', '3', '*').
    std::vector<std::string> textsTo(char motor) const { return controllers->textsTo(motor); }
    // Where the first frame equal to the command stands in the transcript,
    // or the transcript's size.
    std::size_t indexOf(const Command& command) const;

    ScopedMainThreadPump mainThread;
    std::shared_ptr<TickingWorldClock> worldClock =
        std::make_shared<TickingWorldClock>(std::chrono::milliseconds(250));
    std::shared_ptr<Clock> robotClock = std::make_shared<WorldTimeClock>(worldClock);
    Simulators::SimulatedInstrumentOptions options = Testing::SimulatedInstrumentBuilder("Proto")
                                                         .worldClock(worldClock)
                                                         .start({0.0, 0.0, 0.0})
                                                         .withoutSurface()
                                                         .options();
    std::unique_ptr<Testing::TestInstrument> instrument;
    std::shared_ptr<Simulators::InstrumentWorld> world;
    std::shared_ptr<Controllers> controllers;
    std::shared_ptr<UserDefaults> store = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    std::shared_ptr<DropwrightProto> robot;
};

} // namespace Dotfield::testing
