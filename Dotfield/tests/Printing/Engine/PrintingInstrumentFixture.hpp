#pragma once
// Printing on the whole simulated instrument: the DropwrightIIb on the
// SmartMotor bus, the electronics and the relay box on their links, all moving
// or recording in one world that runs faster than real time. The electronics'
// waits and the print's dwells run at the world's rate, so the world's records
// show the durations a print asked for.

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/Instrument/Relay/Relay.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/Clock.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Printing/Modes/PrintingElectronics.hpp"
#include "Dotfield/Robotics/Models/DropwrightIIa.hpp"
#include "simulators/instrument/Positioners/SmartMotor/SimulatedSmartMotorBus.hpp"
#include "simulators/instrument/SimulatedInstrument.hpp"
#include "Dotfield/tests/Support/TestTiming.hpp"

namespace Dotfield::testing {

// Sleeps at the world's rate: 1/rate of the time asked, moving the clock it
// is given by the whole time, so waits measured on that clock end when the
// world has seen the time pass.
class WorldRateSleeper final : public Sleeper {
  public:
    WorldRateSleeper(std::shared_ptr<ManualClock> clock, double rate) : clock_(std::move(clock)), rate_(rate) {}
    using Sleeper::sleep;
    void sleep(Clock::Duration duration) override;

  private:
    const std::shared_ptr<ManualClock> clock_;
    const double rate_;
};

// The driver's read time-out of every link of the fixture (real time).
inline const std::chrono::milliseconds linkReadTimeout{Dotfield::Testing::serialPortTiming().readTimeoutMilliseconds};

class PrintingInstrumentFixture : public ::testing::Test {
  protected:
    static constexpr double worldRate = 20.0;

    PrintingInstrumentFixture();
    void SetUp() override;
    void TearDown() override;

    // Starts the status poll (its ticks do nothing here).
    void startStatusPoll();
    // Samples the electronics' reference statistics with the tip high above the
    // surface (surface finding needs them).
    void sampleReferenceStatistics();
    // Runs the work on the robot queue and waits for it; its error comes back.
    template <typename Work> void onRobotQueue(Work&& work) { performOnQueueSync(std::forward<Work>(work), *robot); }

    ScopedMainThreadPump mainThread;
    Simulators::SimulatedInstrumentOptions options;
    std::unique_ptr<Simulators::SimulatedDropwright> instrument;
    std::shared_ptr<Simulators::InstrumentWorld> world;
    std::shared_ptr<Simulators::SimulatedSmartMotorBus> bus;
    std::shared_ptr<UserDefaults> store = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    // The electronics' clock and the poll's: it never ticks by itself, and
    // the world-rate sleeper moves it.
    std::shared_ptr<ManualClock> electronicsClock = std::make_shared<ManualClock>();
    std::shared_ptr<WorldRateSleeper> worldTime = std::make_shared<WorldRateSleeper>(electronicsClock, worldRate);
    std::shared_ptr<DropwrightIIa> robot;
    std::shared_ptr<Electronics> electronics;
    std::unique_ptr<ElectronicsForPrinting> printingElectronics;
    std::shared_ptr<Relay> relay = std::make_shared<Relay>();

  private:
    std::vector<std::shared_ptr<SerialPort>> ports_;
};

} // namespace Dotfield::testing
