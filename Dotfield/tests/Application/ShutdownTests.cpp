// Shutting down on the simulated instrument: the work is stopped and the
// dispenser switched off before any link closes, and every link is closed.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Application/Humidity/HumidityPollingLoop.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/tests/Application/ShellFixture.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"
#include "Dotfield/tests/Support/TestTiming.hpp"

using namespace Dotfield;
using Simulators::SimulatedElectronics;

using ShutdownTests = ShellFixture;

TEST_F(ShutdownTests, ADrivenDispenserIsSwitchedOffBeforeTheLinksClose) {
    launch();
    const auto electronics = delegate->electronics();
    const auto robot = delegate->robot();
    ASSERT_TRUE(robot);
    electronics->serialDispatchQueue().sync([&] { electronics->startDispensing(); });
    ASSERT_EQ(electronicsPeer->relay(), SimulatedElectronics::RelayPosition::waveformGenerator);
    ASSERT_GT(electronicsPeer->voltage(), 0.0);

    delegate->shutDown();

    EXPECT_EQ(electronicsPeer->voltage(), 0.0);
    EXPECT_EQ(electronicsPeer->relay(), SimulatedElectronics::RelayPosition::electronics);
    EXPECT_TRUE(robot->movementAborted());
    EXPECT_FALSE(robot->serialPort()) << "the positioner's link is closed";
    EXPECT_FALSE(electronics->serialPort());
    EXPECT_EQ(humiditySensor->openHandleCount(), 0u);
    EXPECT_EQ(instrument->cabling().bus()->openHandleCount(), 0u);
    // No status tick after the end: the poll's timer stays suspended, and a
    // tick that was under way has finished on the electronics' queue.
    const std::size_t commandsAtEnd = electronicsPeer->commands().size();
    EXPECT_TRUE(electronics->dispatchTimer().isSuspended());
    electronics->serialDispatchQueue().sync([] {});
    mainThread.pump().runPending();
    EXPECT_EQ(electronicsPeer->commands().size(), commandsAtEnd);
}

namespace {

// A pause that lasts until the test ends it: the humidity loop sleeps in it
// after a good reading.
class HeldSleeper final : public Sleeper {
  public:
    using Sleeper::sleep;
    void sleep(Clock::Duration) override {
        std::unique_lock lock(mutex_);
        ++entered_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return released_; });
    }
    bool waitUntilEntered() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, Dotfield::Testing::eventuallyLimit, [this] { return entered_ > 0; });
    }
    void release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int entered_ = 0;
    bool released_ = false;
};

} // namespace

// The loop cannot see the stop while it sleeps: the end of the run waits for
// it (saying so once the usual wait is over) instead of leaving its thread
// behind, and releases the sensor only after the loop has ended.
TEST_F(ShutdownTests, AHumidityLoopSlowToStopIsWaitedForAndJoined) {
    auto sleeper = std::make_shared<HeldSleeper>();
    std::vector<std::string> console;
    std::mutex consoleMutex;
    std::condition_variable consoleChanged;
    AppDelegateEnvironment environment;
    environment.userDefaults = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    environment.serialPortTiming = Dotfield::Testing::serialPortTiming();
    environment.humiditySleeper = sleeper;
    environment.deviceReleaseWait = std::chrono::milliseconds(50);
    environment.robotModels = [](const std::string&) { return RobotModelFactory{}; };
    environment.console = [&](std::string_view line) {
        std::lock_guard lock(consoleMutex);
        console.emplace_back(line);
        consoleChanged.notify_all();
    };
    const std::string waiting = "The humidity loop did not end in time; waiting for it";
    delegate = AppDelegate::create(std::move(environment));
    delegate->applicationDidFinishLaunching();
    ASSERT_TRUE(pumpUntil([this] { return delegate->humidityLoop() != nullptr; }));
    const auto loop = delegate->humidityLoop();
    ASSERT_TRUE(sleeper->waitUntilEntered());

    // Lets the loop go on once the end of the run has said that it waits.
    std::thread releaser([&] {
        std::unique_lock lock(consoleMutex);
        consoleChanged.wait_for(lock, Dotfield::Testing::eventuallyLimit, [&] {
            return std::find(console.begin(), console.end(), waiting) != console.end();
        });
        sleeper->release();
    });
    delegate->shutDown();
    releaser.join();

    EXPECT_TRUE(loop->ended()) << "the loop's thread was joined";
    EXPECT_EQ(humiditySensor->openHandleCount(), 0u);
    std::lock_guard lock(consoleMutex);
    EXPECT_NE(std::find(console.begin(), console.end(), waiting), console.end());
}
