#pragma once
// The USB temperature and humidity sensor, read through the sensor library's
// three calls. The object owns the library's device handle; a semaphore of
// count 1 keeps a reading and the release of the handle from overlapping.
// Readings only try the semaphore (a busy sensor is an error, never a wait);
// the release waits for it.

#include <atomic>
#include <chrono>
#include <memory>

#include "Dotfield/Platform/Semaphore.hpp"
#include "Dotfield/Platform/THUM/THUMLibrary.hpp"

namespace Dotfield {

struct HumidityReading {
    double temperatureFahrenheit = 0;
    double relativeHumidity = 0; // percent
};

class HumiditySensor {
  public:
    // Throws SerialPortConnectionError: deviceMissing when no sensor is
    // attached, connectionToDeviceFailed when the library fails otherwise.
    static std::shared_ptr<HumiditySensor> connectToHumiditySensor();

    // Throws HumiditySensorError: sensorBusy while another reading or the
    // release holds the sensor, sensorDisconnected when the sensor is gone or
    // its handle was released, readingFailed for any other failure.
    HumidityReading readFromHumiditySensor();

    // Gives the library's handle back, waiting for a reading in progress. The
    // sensor cannot be read afterwards; reconnecting makes a new object.
    void releaseHumiditySensor();
    // The same, waiting at most the given time for a call in progress; false
    // (and the handle kept) when the sensor stayed busy that long.
    bool releaseHumiditySensor(std::chrono::nanoseconds maximumWait);

    // The removal callback handed to the library; it only logs.
    static void humiditySensorCallback(void* target, void* result, void* refcon, void* sender);

    HumiditySensor(const HumiditySensor&) = delete;
    HumiditySensor& operator=(const HumiditySensor&) = delete;

  private:
    HumiditySensor() = default;

    // The library keeps the address of this storage; the object never moves
    // (it lives on the heap behind a shared pointer).
    THUMHandle thumHandle_{};
    Semaphore humiditySensorSemaphore_{1};
    std::atomic<bool> released_{false};
};

} // namespace Dotfield
