#include <thread>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/HumiditySensorError.hpp"
#include "Dotfield/Instrument/Humidity/HumiditySensor.hpp"
#include "Dotfield/tests/Instrument/Humidity/SimulatedSensorFixture.hpp"
#include "Dotfield/tests/Support/ThreadBlocking.hpp"

using namespace Dotfield;
using Simulators::SimulatedHumiditySensor;

using HumiditySensorConcurrencyTest = SimulatedSensorFixture;

// A reading never waits: while the release holds the sensor it fails at once,
// and it leaves the release's hold alone.
TEST_F(HumiditySensorConcurrencyTest, AReadingDuringTheReleaseIsBusy) {
    const auto humiditySensor = HumiditySensor::connectToHumiditySensor();
    sensor->holdCalls(SimulatedHumiditySensor::Call::releaseHandle);
    std::thread releaser([&] { humiditySensor->releaseHumiditySensor(); });
    sensor->waitForHeldCall();

    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            humiditySensor->readFromHumiditySensor();
            ADD_FAILURE() << "the reading went through";
        } catch (const HumiditySensorError& error) {
            EXPECT_EQ(error.kind(), HumiditySensorErrorKind::sensorBusy);
        }
    }
    EXPECT_EQ(sensor->openHandleCount(), 1u);

    sensor->releaseHeldCalls();
    releaser.join();
    EXPECT_EQ(sensor->openHandleCount(), 0u);
    EXPECT_EQ(sensor->readCount(), 0u);
}

// The release waits for a reading in progress instead of pulling the handle
// from under it.
TEST_F(HumiditySensorConcurrencyTest, TheReleaseWaitsForAReadingInProgress) {
    const auto humiditySensor = HumiditySensor::connectToHumiditySensor();
    sensor->setReading(0.0, 45.0);
    sensor->holdCalls(SimulatedHumiditySensor::Call::read);
    HumidityReading reading;
    std::thread reader([&] { reading = humiditySensor->readFromHumiditySensor(); });
    sensor->waitForHeldCall();

    Dotfield::Testing::WatchedThread releaser([&] { humiditySensor->releaseHumiditySensor(); });
    // Once the release waits, it has had its chance to take the handle.
    EXPECT_TRUE(releaser.waitUntilBlocked());
    EXPECT_EQ(sensor->openHandleCount(), 1u);

    sensor->releaseHeldCalls();
    reader.join();
    releaser.join();
    EXPECT_EQ(reading.temperatureFahrenheit, 32.0);
    EXPECT_EQ(sensor->openHandleCount(), 0u);
}
