#pragma once
// Runs every device of the instrument through its lifecycle: the camera, the
// dispenser electronics, the relay box, the humidity sensor and the
// positioner. It connects them at launch in a fixed order (the camera, the
// electronics; then, on the electronics' queue, the relay and the humidity
// sensor; the positioner on its own queue), reports each device's state for
// the main window, turns each error into the recovery alert of its device and
// carries out the operator's answer, and lets the devices go at the end of
// the run. An error that belongs to no device shows "Unexpected
// communications error." (a solution well's error names the well).
//
// Threads: connectAll(), the end of the run and the accessors of the relay
// and the humidity loop belong to the main thread; handleError() takes any
// thread and returns once the alert is answered and its action ran.

#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Dotfield/Application/Devices/DeviceContext.hpp"
#include "Dotfield/Application/Devices/DeviceEnvironment.hpp"
#include "Dotfield/Application/DispenserStatus/DispenserStatusPollWindows.hpp"
#include "Dotfield/Instrument/SafeState/UnsafeOutputReport.hpp"

namespace Dotfield {

class CameraDevice;
class CameraSetUpLoop;
class DeviceLifecycle;
class Electronics;
class ElectronicsDevice;
class HumidityDevice;
class HumidityPollingLoop;
class Relay;
class RelayDevice;
class Robot;
class RobotDevice;

class DeviceSupervisor {
  public:
    DeviceSupervisor(DeviceEnvironment environment, std::shared_ptr<DispenserStatusPollWindowRegistry> pollWindows);
    // Stops the humidity loop and the camera's set-up if the end of the run has not.
    ~DeviceSupervisor();
    DeviceSupervisor(const DeviceSupervisor&) = delete;
    DeviceSupervisor& operator=(const DeviceSupervisor&) = delete;

    // Set before the launch.
    void setStatusObserver(DeviceStatusObserver observer) { context_->setStatusObserver(std::move(observer)); }
    void setWindows(DeviceContext::Windows windows) { context_->setWindows(std::move(windows)); }
    // The one error handler, which the devices' own work uses too.
    void setErrorHandler(std::function<void(std::exception_ptr)> handler) {
        context_->setErrorHandler(std::move(handler));
    }
    void log(std::string_view message) const { context_->log(message); }
    void windowNotBuilt(std::string_view windowController, std::string_view step) const {
        context_->windowNotBuilt(windowController, step);
    }
    void reportStatus(ShellDevice device, std::string text) { context_->reportStatus(device, std::move(text)); }

    // ---- Launch -----------------------------------------------------------------------

    void connectAll();
    // The dispenser status poll, over the open electronics link.
    void activatePollingOfDispenserStatus();

    // ---- Errors -----------------------------------------------------------------------

    void handleError(std::exception_ptr error);
    // Whether the error is one of a device's (then nothing is shown once the
    // shell is gone).
    static bool isDeviceError(const std::exception_ptr& error);
    // The dispenser or the UV lamp could not be switched off (the message
    // says which, and why): an alert telling the operator to switch them off.
    void presentUnsafeOutputAlert(const std::string& message);

    // ---- The end of the run --------------------------------------------------------------

    // From now on errors are only logged.
    void beginTermination() { context_->beginTermination(); }
    // In this order: the work under way told to stop (no more status ticks,
    // dispensing and moves aborted); the positioner idle and the dispenser
    // off; the links closed (positioner, humidity sensor, camera,
    // electronics, relay). Main thread; a second round only does what is left.
    void stopAll();
    void settleAll();
    void releaseAll();

    // ---- State -------------------------------------------------------------------------

    std::shared_ptr<Electronics> electronics() const;
    std::shared_ptr<Robot> robot() const;
    std::optional<std::string> robotModelName() const;
    std::shared_ptr<Relay> relay() const;
    std::shared_ptr<HumidityPollingLoop> humidityLoop() const;
    const std::shared_ptr<CameraSetUpLoop>& cameraSetUp() const;

  private:
    const std::shared_ptr<DeviceContext> context_;
    // The observer of unsafe outputs before this supervisor's, put back at its end.
    UnsafeOutputObserver previousUnsafeOutputObserver_;
    const std::shared_ptr<CameraDevice> camera_;
    const std::shared_ptr<ElectronicsDevice> electronics_;
    const std::shared_ptr<HumidityDevice> humidity_;
    const std::shared_ptr<RelayDevice> relay_;
    const std::shared_ptr<RobotDevice> robot_;
    // The order in which an error finds its device.
    const std::vector<std::shared_ptr<DeviceLifecycle>> byErrors_;
};

} // namespace Dotfield
