#pragma once
// What the devices are brought up with: the settings store, the console, the
// links' time-outs, the camera's set-up, and the waits and intervals that
// tests shorten.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "Dotfield/Application/ProductTypes.hpp"
#include "Dotfield/Camera/SetUp/CameraSetUpLoop.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortTiming.hpp"
#include "Dotfield/Platform/Clock.hpp"

namespace Dotfield {

class UserDefaults;

struct DeviceEnvironment {
    std::shared_ptr<UserDefaults> userDefaults;
    // Console lines (silent by default: the diagnostic hook).
    std::function<void(std::string_view)> console;
    // How the device links are opened (tests shorten the driver's time-outs).
    SerialPortTiming serialPortTiming;
    // The humidity loop's pause between readings.
    std::shared_ptr<Sleeper> humiditySleeper = systemSleeper();
    // The longest wait for the humidity sensor's semaphore or for the
    // humidity loop to end before that is logged.
    std::chrono::nanoseconds deviceReleaseWait = std::chrono::seconds(2);
    // How a positioner model is made (the models' table unless a test says
    // otherwise); an empty factory means the model is not built.
    std::function<RobotModelFactory(const std::string& modelName)> robotModels = robotModelFactory;
    // The shortest time between two reopenings of the electronics link by the
    // status poll while the electronics stay away.
    std::chrono::nanoseconds electronicsReopenInterval = std::chrono::seconds(1);
    // How the camera is set up (its retries' clock, its timing, its console).
    CameraSetUpEnvironment camera;
};

} // namespace Dotfield
