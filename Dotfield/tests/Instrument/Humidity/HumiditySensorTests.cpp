#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/HumiditySensorError.hpp"
#include "Dotfield/Instrument/Errors/SerialPortConnectionError.hpp"
#include "Dotfield/Instrument/Humidity/HumiditySensor.hpp"
#include "Dotfield/tests/Instrument/Humidity/SimulatedSensorFixture.hpp"

using namespace Dotfield;

namespace {

template <typename Error, typename Operation> typename Error::Kind kindThrownBy(Operation&& operation) {
    try {
        operation();
    } catch (const Error& error) {
        return error.kind();
    }
    ADD_FAILURE() << "nothing thrown";
    return {};
}

using HumiditySensorTest = SimulatedSensorFixture;

} // namespace

TEST(HumiditySensorShippedLayer, ReportsThatNoSensorIsAttached) {
    Dotfield::setTHUMBackend(nullptr);
    EXPECT_EQ(kindThrownBy<SerialPortConnectionError>([] { HumiditySensor::connectToHumiditySensor(); }),
              SerialPortConnectionErrorKind::deviceMissing);
}

TEST_F(HumiditySensorTest, ConnectingFailsByTheLibrarysStatus) {
    sensor->setGetHandleStatus(5);
    EXPECT_EQ(kindThrownBy<SerialPortConnectionError>([] { HumiditySensor::connectToHumiditySensor(); }),
              SerialPortConnectionErrorKind::connectionToDeviceFailed);
    sensor->setGetHandleStatus(thumSuccess);
    sensor->unplug();
    EXPECT_EQ(kindThrownBy<SerialPortConnectionError>([] { HumiditySensor::connectToHumiditySensor(); }),
              SerialPortConnectionErrorKind::deviceMissing);
    EXPECT_EQ(sensor->openHandleCount(), 0u);
}

TEST_F(HumiditySensorTest, ReadsFahrenheitAndPercent) {
    struct Case {
        double celsius;
        double humidity;
        double fahrenheit;
    };
    const Case cases[] = {
        {0.0, 45.0, 32.0},
        {100.0, 0.0, 212.0},
        {-40.0, 100.0, -40.0},
        {23.7, 51.5, 23.7 * 9.0 / 5.0 + 32.0}, // that order of operations, in doubles
    };
    const auto humiditySensor = HumiditySensor::connectToHumiditySensor();
    for (const auto& c : cases) {
        sensor->setReading(c.celsius, c.humidity);
        const HumidityReading reading = humiditySensor->readFromHumiditySensor();
        EXPECT_EQ(reading.temperatureFahrenheit, c.fahrenheit) << c.celsius;
        EXPECT_EQ(reading.relativeHumidity, c.humidity);
    }
}

TEST_F(HumiditySensorTest, FailedReadingsAreReportedAndFreeTheSensorAgain) {
    const auto humiditySensor = HumiditySensor::connectToHumiditySensor();
    sensor->setReadStatus(thumNoSensor);
    EXPECT_EQ(kindThrownBy<HumiditySensorError>([&] { humiditySensor->readFromHumiditySensor(); }),
              HumiditySensorErrorKind::sensorDisconnected);
    sensor->setReadStatus(9);
    EXPECT_EQ(kindThrownBy<HumiditySensorError>([&] { humiditySensor->readFromHumiditySensor(); }),
              HumiditySensorErrorKind::readingFailed);
    sensor->setReadStatus(thumSuccess);
    sensor->setReading(0.0, 45.0);
    EXPECT_EQ(humiditySensor->readFromHumiditySensor().temperatureFahrenheit, 32.0);
}

TEST_F(HumiditySensorTest, RemovalCallsBackAndLaterReadingsReportTheSensorGone) {
    const auto humiditySensor = HumiditySensor::connectToHumiditySensor();
    sensor->unplug();
    EXPECT_EQ(sensor->removalCallbackCount(), 1u);
    EXPECT_EQ(kindThrownBy<HumiditySensorError>([&] { humiditySensor->readFromHumiditySensor(); }),
              HumiditySensorErrorKind::sensorDisconnected);
}

TEST_F(HumiditySensorTest, AReleasedSensorIsNotReadThroughItsStaleHandle) {
    const auto humiditySensor = HumiditySensor::connectToHumiditySensor();
    humiditySensor->readFromHumiditySensor();
    humiditySensor->releaseHumiditySensor();
    humiditySensor->releaseHumiditySensor(); // a second release gives nothing back twice
    EXPECT_EQ(sensor->openHandleCount(), 0u);
    EXPECT_EQ(kindThrownBy<HumiditySensorError>([&] { humiditySensor->readFromHumiditySensor(); }),
              HumiditySensorErrorKind::sensorDisconnected);
    EXPECT_EQ(sensor->readCount(), 1u);
}
