// The humidity loop on the simulated sensor and relay box: the band rule
// against the relay's known state, failures, the one-slot display and the
// end of the loop.

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Application/Humidity/HumidityPollingLoop.hpp"
#include "Dotfield/Instrument/Errors/HumiditySensorError.hpp"
#include "Dotfield/Instrument/Errors/RelayError.hpp"
#include "Dotfield/Instrument/Humidity/HumiditySensor.hpp"
#include "Dotfield/Instrument/Relay/Relay.hpp"
#include "Dotfield/tests/Support/SimulatedDropwrightFixture.hpp"

using namespace Dotfield;
using RelayCommand = Simulators::SimulatedRelayBox::Command;
using SensorCall = Simulators::SimulatedHumiditySensor::Call;

namespace {

// Counts the pauses and lets them pass at once.
class CountingSleeper final : public Sleeper {
  public:
    void sleep(Clock::Duration) override {
        ++pauses;
        std::this_thread::yield();
    }
    std::atomic<int> pauses{0};
};

class HumidityControlTest : public Dotfield::testing::SimulatedDropwrightFixture {
  protected:
    void SetUp() override {
        SimulatedDropwrightFixture::SetUp();
        store->setDouble(40.0, "minHumidity");
        store->setDouble(45.0, "maxHumidity");
        relay->setSerialPort(openPort(properties(SerialPortType::relay)));
        sensor = HumiditySensor::connectToHumiditySensor();
        loop = std::make_shared<HumidityPollingLoop>(
            sensor, *store,
            HumidityPollingLoop::Handlers{.reading = [this](const HumidityReading&) { ++readings; },
                                          .failure =
                                              [this](std::exception_ptr error) {
                                                  std::lock_guard lock(failuresMutex);
                                                  failures.push_back(error);
                                              }},
            sleeper);
        loop->setRelay(relay);
    }

    void TearDown() override {
        stop();
        SimulatedDropwrightFixture::TearDown();
    }

    void start() {
        thread = std::thread([this] { loop->run(); });
    }
    void stop() {
        loop->stopReading();
        if (thread.joinable()) {
            thread.join();
        }
    }

    // Sets the sensor's humidity and waits until the loop has gone through
    // `count` more readings (good or failed) of it.
    void readingsOf(double humidity, int count) {
        instrument->humiditySensor()->setReading(21.0, humidity);
        const auto target = instrument->humiditySensor()->readCount() + static_cast<std::size_t>(count) + 1;
        while (instrument->humiditySensor()->readCount() < target) {
            std::this_thread::yield();
        }
    }

    std::size_t failureCount() {
        std::lock_guard lock(failuresMutex);
        return failures.size();
    }

    std::vector<RelayCommand> switches() const {
        std::vector<RelayCommand> result;
        for (const auto command : instrument->relayBox()->commands()) {
            if (command != RelayCommand::query) {
                result.push_back(command);
            }
        }
        return result;
    }

    std::shared_ptr<Relay> relay = std::make_shared<Relay>();
    std::shared_ptr<HumiditySensor> sensor;
    std::shared_ptr<CountingSleeper> sleeper = std::make_shared<CountingSleeper>();
    std::shared_ptr<HumidityPollingLoop> loop;
    std::atomic<int> readings{0};
    std::mutex failuresMutex;
    std::vector<std::exception_ptr> failures;
    std::thread thread;
};

} // namespace

// The box starts closed, unknown to the program: the first reading above
// the band opens it; one below closes it; the limits themselves send nothing.
TEST_F(HumidityControlTest, TheBandRuleSwitchesFromAnUnknownStateAndOnlyAcrossTheLimits) {
    instrument->relayBox()->setClosed(true);
    instrument->humiditySensor()->setReading(21.0, 50.0);
    start();
    readingsOf(50.0, 2);
    EXPECT_FALSE(instrument->relayBox()->isClosed());
    EXPECT_EQ(relay->knownState(), RelayState::open);
    readingsOf(38.0, 2);
    EXPECT_TRUE(instrument->relayBox()->isClosed());
    readingsOf(45.0, 3);
    readingsOf(40.0, 3);
    readingsOf(42.0, 3);
    EXPECT_EQ(switches(), (std::vector<RelayCommand>{RelayCommand::open, RelayCommand::close}));
    EXPECT_EQ(failureCount(), 0u);
}

// A stuck contact: every reading above the band tries again and fails, and
// each failure is followed by the next reading without a pause.
TEST_F(HumidityControlTest, AStuckRelayIsRetriedOnEveryReadingWithoutAPause) {
    instrument->relayBox()->setClosed(true);
    instrument->relayBox()->setStuck(true);
    instrument->humiditySensor()->setReading(21.0, 50.0);
    start();
    readingsOf(50.0, 4);
    stop();
    const std::size_t opens = switches().size() - 1; // the last is the loop's own at its end
    EXPECT_GE(opens, 4u);
    EXPECT_EQ(failureCount(), opens);
    EXPECT_EQ(sleeper->pauses.load(), 0);
    const std::exception_ptr first = [this] {
        std::lock_guard lock(failuresMutex);
        return failures.front();
    }();
    try {
        std::rethrow_exception(first);
    } catch (const RelayError& error) {
        EXPECT_EQ(error.kind(), RelayErrorKind::relayDidNotSwitch);
    }
    EXPECT_EQ(relay->knownState(), std::nullopt);
}

TEST_F(HumidityControlTest, AFailedReadingGoesToTheHandlerAndTheNextFollowsAtOnce) {
    instrument->humiditySensor()->setReading(21.0, 42.0);
    start();
    readingsOf(42.0, 2);
    instrument->humiditySensor()->setReadStatus(-1);
    // A good reading already taken may still pause once after this.
    const int pausesBefore = sleeper->pauses.load();
    while (failureCount() < 3) {
        std::this_thread::yield();
    }
    EXPECT_LE(sleeper->pauses.load(), pausesBefore + 1) << "at most the pause of the last good reading";
    const std::exception_ptr first = [this] {
        std::lock_guard lock(failuresMutex);
        return failures.front();
    }();
    try {
        std::rethrow_exception(first);
    } catch (const HumiditySensorError& error) {
        EXPECT_EQ(error.kind(), HumiditySensorErrorKind::readingFailed);
    }
}

// Stopping: the loop sees the flag before its next reading, opens the relay,
// and gives the sensor's handle back once, after its last reading.
TEST_F(HumidityControlTest, StoppingOpensTheRelayAndReleasesTheSensorAfterTheLastReading) {
    instrument->humiditySensor()->setReading(21.0, 30.0);
    start();
    readingsOf(30.0, 3);
    ASSERT_TRUE(instrument->relayBox()->isClosed());
    stop();
    EXPECT_TRUE(loop->ended());
    EXPECT_FALSE(instrument->relayBox()->isClosed());
    EXPECT_EQ(instrument->humiditySensor()->openHandleCount(), 0u);
    // stop() joined the loop's thread, so nothing is left that could read:
    // the handle was given back after the last reading.
    const auto reads = instrument->humiditySensor()->readCount();
    EXPECT_EQ(instrument->humiditySensor()->readCount(), reads) << "no reading after the release";
    EXPECT_EQ(failureCount(), 0u);
}

// While one display waits for the main thread, further readings are not
// shown (and take no sample number); once it has run, the next one is.
TEST_F(HumidityControlTest, AtMostOneDisplayWaitsForTheMainThread) {
    std::vector<double> shown;
    loop->setDisplay([&shown](const HumidityReading& reading) { shown.push_back(reading.relativeHumidity); });
    instrument->humiditySensor()->setReading(21.0, 41.0);
    start();
    readingsOf(41.0, 5);
    readingsOf(43.0, 2); // skipped: the first display still waits
    // Failing readings show nothing, so the pump below runs only what the
    // good readings queued (a reading in flight is through after two more).
    instrument->humiditySensor()->setReadStatus(-1);
    readingsOf(43.0, 2);
    mainThread.pump().runPending();
    EXPECT_EQ(shown, std::vector<double>{41.0});
    instrument->humiditySensor()->setReadStatus(Dotfield::thumSuccess);
    readingsOf(43.0, 2);
    mainThread.pump().runPending();
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown[1], 43.0);
}
