#pragma once
// Printing on the whole simulated instrument: the DropwrightIIb on the
// SmartMotor bus, the electronics and the relay box on their links, all moving
// or recording in one world. The world's time passes only with the bytes on
// its lines and with the waits the electronics and the print ask for, so its
// records show the durations a print asked for however busy the machine is. A
// test that measures the links' own time-outs against the world runs it at
// worldRate instead (set options.clock in its constructor).

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
#include "Dotfield/tests/Support/SimulatedInstrumentBuilder.hpp"
#include "Dotfield/tests/Support/TestTiming.hpp"
#include "Dotfield/tests/Support/WorldTimeSleeper.hpp"
#include "simulators/instrument/Positioners/SmartMotor/SimulatedSmartMotorBus.hpp"

namespace Dotfield::testing {

// Lets the time asked for pass in the world, moving the manual clock it is
// given by the whole time.
using WorldRateSleeper = Testing::WorldTimeSleeper;

// The driver's read time-out of every link of the fixture (real time).
inline const std::chrono::milliseconds linkReadTimeout{Dotfield::Testing::serialPortTiming().readTimeoutMilliseconds};

class PrintingInstrumentFixture : public ::testing::Test {
  protected:
    // How much faster than the machine a world runs that a test runs in real time.
    static constexpr double worldRate = 20.0;

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
    Simulators::SimulatedInstrumentOptions options = Testing::SimulatedInstrumentBuilder("IIb")
                                                         .worldClock(std::make_shared<Simulators::SteppedWorldClock>())
                                                         .start({20000.0, 30000.0, 20000.0})
                                                         .surface(Simulators::SimulatedSurface::plane(3000.0, 0.01, -0.005))
                                                         .options();
    std::unique_ptr<Testing::TestInstrument> instrument;
    std::shared_ptr<Simulators::InstrumentWorld> world;
    std::shared_ptr<Simulators::SimulatedSmartMotorBus> bus;
    std::shared_ptr<UserDefaults> store = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    // The electronics' clock and the poll's: it never ticks by itself; the
    // world-time sleeper (made over the world's clock in SetUp) moves it.
    std::shared_ptr<ManualClock> electronicsClock = std::make_shared<ManualClock>();
    std::shared_ptr<WorldRateSleeper> worldTime;
    std::shared_ptr<DropwrightIIa> robot;
    std::shared_ptr<Electronics> electronics;
    std::unique_ptr<ElectronicsForPrinting> printingElectronics;
    std::shared_ptr<Relay> relay = std::make_shared<Relay>();
};

} // namespace Dotfield::testing
