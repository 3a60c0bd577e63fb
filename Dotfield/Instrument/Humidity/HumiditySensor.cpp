#include "Dotfield/Instrument/Humidity/HumiditySensor.hpp"

#include "Dotfield/Instrument/Errors/HumiditySensorError.hpp"
#include "Dotfield/Instrument/Errors/SerialPortConnectionError.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

using Diagnostics::logAndReturnError;
using Diagnostics::printWithContext;

std::shared_ptr<HumiditySensor> HumiditySensor::connectToHumiditySensor() {
    std::shared_ptr<HumiditySensor> sensor(new HumiditySensor());
    const int status = GetTHUMHandle(sensor->thumHandle_.data(), 0, &HumiditySensor::humiditySensorCallback);
    if (status == thumSuccess) {
        return sensor;
    }
    if (status == thumNoSensor) {
        throw SerialPortConnectionError(SerialPortConnectionErrorKind::deviceMissing);
    }
    throw logAndReturnError(
        SerialPortConnectionError(SerialPortConnectionErrorKind::connectionToDeviceFailed));
}

HumidityReading HumiditySensor::readFromHumiditySensor() {
    if (!humiditySensorSemaphore_.tryWait()) {
        printWithContext("Sensor was busy");
        throw logAndReturnError(HumiditySensorError(HumiditySensorErrorKind::sensorBusy));
    }
    if (released_.load()) {
        // The handle was given back: the library must not see it again.
        humiditySensorSemaphore_.signal();
        throw logAndReturnError(HumiditySensorError(HumiditySensorErrorKind::sensorDisconnected));
    }
    double temperatureCelsius = 0;
    double relativeHumidity = 0;
    const int status = ReadTHUM(thumHandle_.data(), &temperatureCelsius, &relativeHumidity);
    humiditySensorSemaphore_.signal();

    if (status == thumNoSensor) {
        throw logAndReturnError(HumiditySensorError(HumiditySensorErrorKind::sensorDisconnected));
    }
    if (status != thumSuccess) {
        throw logAndReturnError(HumiditySensorError(HumiditySensorErrorKind::readingFailed));
    }
    return {temperatureCelsius * 9.0 / 5.0 + 32.0, relativeHumidity};
}

void HumiditySensor::releaseHumiditySensor() {
    humiditySensorSemaphore_.wait();
    if (!released_.exchange(true)) {
        ReleaseTHUMHandle(thumHandle_.data());
    }
    humiditySensorSemaphore_.signal();
}

bool HumiditySensor::releaseHumiditySensor(std::chrono::nanoseconds maximumWait) {
    if (!humiditySensorSemaphore_.waitFor(maximumWait)) {
        return false;
    }
    if (!released_.exchange(true)) {
        ReleaseTHUMHandle(thumHandle_.data());
    }
    humiditySensorSemaphore_.signal();
    return true;
}

void HumiditySensor::humiditySensorCallback(void*, void*, void*, void*) {
    printWithContext("Humidity sensor disconnnected, callback triggered");
}

} // namespace Dotfield
