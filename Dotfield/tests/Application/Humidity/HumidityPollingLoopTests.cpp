// The humidity control's band rule against the simulated relay box, and its
// end: the relay opened, the loop's thread free again.

#include <thread>

#include <gtest/gtest.h>

#include "Dotfield/Application/Humidity/HumidityPollingLoop.hpp"
#include "Dotfield/Instrument/Errors/HumiditySensorError.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/tests/Application/ShellFixture.hpp"
#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"

using namespace Dotfield;
using RelayCommand = Simulators::SimulatedRelayBox::Command;

namespace {

class NoPause final : public Sleeper {
  public:
    void sleep(Clock::Duration) override { std::this_thread::yield(); }
};

} // namespace

using HumidityPollingLoopTests = ShellFixture;

TEST_F(HumidityPollingLoopTests, SwitchesTheRelayAtTheBandsEdgesOnlyAndOpensItWhenStopped) {
    UserDefaults settings{UserDefaults::CustomDictionary{}};
    settings.setDouble(30.0, "minHumidity");
    settings.setDouble(50.0, "maxHumidity");
    auto relay = std::make_shared<Relay>();
    relay->setSerialPort(openSerialPort("FT232R USB UART", 9600, false));
    std::atomic<int> readings{0};
    std::atomic<int> failures{0};
    auto loop = std::make_shared<HumidityPollingLoop>(
        HumiditySensor::connectToHumiditySensor(), settings,
        HumidityPollingLoop::Handlers{.reading = [&](const HumidityReading&) { ++readings; },
                                      .failure = [&](std::exception_ptr) { ++failures; }},
        std::make_shared<NoPause>());
    loop->setRelay(relay);
    const auto readingsAt = [&](double humidity, int count) {
        humiditySensor->setReading(21.0, humidity);
        const int target = readings.load() + count;
        while (readings.load() < target) {
            std::this_thread::yield();
        }
    };

    std::thread thread([&] { loop->run(); });
    readingsAt(40.0, 3); // inside the band: nothing sent
    readingsAt(50.0, 3); // at the maximum: nothing
    EXPECT_TRUE(relayBox->commands().empty());
    readingsAt(20.0, 3); // below the minimum: closed once
    EXPECT_TRUE(relayBox->isClosed());
    readingsAt(30.0, 3); // at the minimum: nothing more
    readingsAt(60.0, 3); // above the maximum: opened once
    EXPECT_FALSE(relayBox->isClosed());
    readingsAt(25.0, 2); // closed again
    loop->stopReading();
    thread.join();

    EXPECT_EQ(failures.load(), 0);
    std::vector<RelayCommand> switches;
    for (const auto command : relayBox->commands()) {
        if (command != RelayCommand::query) {
            switches.push_back(command);
        }
    }
    EXPECT_EQ(switches, (std::vector<RelayCommand>{RelayCommand::close, RelayCommand::open, RelayCommand::close,
                                                   RelayCommand::open}))
        << "the last open is the loop's end";
    EXPECT_FALSE(relayBox->isClosed());
    relay->serialPort()->closeSerialPort();
}

TEST_F(HumidityPollingLoopTests, AFailedReadingGoesToTheHandlerAndTheLoopGoesOn) {
    UserDefaults settings{UserDefaults::CustomDictionary{}};
    std::atomic<int> failures{0};
    std::shared_ptr<HumidityPollingLoop> loop;
    loop = std::make_shared<HumidityPollingLoop>(
        HumiditySensor::connectToHumiditySensor(), settings,
        HumidityPollingLoop::Handlers{.reading = {}, .failure = [&](std::exception_ptr error) {
                                  try {
                                      std::rethrow_exception(error);
                                  } catch (const HumiditySensorError& e) {
                                      EXPECT_EQ(e.kind(), HumiditySensorErrorKind::readingFailed);
                                  }
                                  if (++failures == 3) {
                                      loop->stopReading();
                                  }
                              }},
        std::make_shared<NoPause>());
    humiditySensor->setReadStatus(7);
    loop->run();
    EXPECT_EQ(failures.load(), 3);
    EXPECT_EQ(loop->minHumidity(), 0.0);
    EXPECT_EQ(loop->maxHumidity(), 85.0);
}
