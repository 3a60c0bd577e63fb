#pragma once
// What the supervisor offers each device: the console, the device's status
// line in the main window, the recovery alerts (at most one open per device,
// none once the end of the run began), the one error handler, and the
// operator windows that come and go with a device.
//
// Threads: the status and the console take any thread; a status reported
// off the main thread reaches the observer later on it. Alerts open on the
// main thread (a caller elsewhere waits for the operator). The windows are
// made, shown and dropped on the main thread.

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "Dotfield/Application/AlertGate.hpp"
#include "Dotfield/Application/DeviceStatus.hpp"
#include "Dotfield/Application/Devices/DeviceEnvironment.hpp"
#include "Dotfield/Application/Windows/OperatorWindowRegistry.hpp"

namespace Dotfield {

struct ErrorAlertRequest;

class DeviceContext : public std::enable_shared_from_this<DeviceContext> {
  public:
    // How the shell makes, shows and drops a device's window (empty: none).
    struct Windows {
        // Makes (and shows) a registered window; else the step's console line.
        std::function<void(OperatorWindow window, std::string_view step, bool show)> step;
        std::function<void(OperatorWindow window)> drop;
        std::function<ShellWindowHooks()> hooks;
    };

    explicit DeviceContext(DeviceEnvironment environment);

    const DeviceEnvironment& environment() const { return environment_; }
    const std::shared_ptr<UserDefaults>& userDefaults() const { return environment_.userDefaults; }

    void log(std::string_view message) const;
    void windowNotBuilt(std::string_view windowController, std::string_view step) const;

    // Set before the launch.
    void setStatusObserver(DeviceStatusObserver observer);
    void setWindows(Windows windows);
    void setErrorHandler(std::function<void(std::exception_ptr)> handler);

    void reportStatus(ShellDevice device, std::string text);
    void windowStep(OperatorWindow window, std::string_view step, bool show) const;
    void dropWindow(OperatorWindow window) const;
    ShellWindowHooks hooks() const;
    // The one error handler.
    void handleError(std::exception_ptr error) const;

    // Shows the alert unless one of the device is open or the end of the run
    // began; then the alert's title is only logged.
    void presentAlert(AlertDevice device, const ErrorAlertRequest& request);
    void beginTermination() { alertGate_.beginTermination(); }
    bool terminating() const { return alertGate_.terminating(); }

  private:
    const DeviceEnvironment environment_;
    AlertGate alertGate_;
    DeviceStatusObserver statusObserver_;
    Windows windows_;
    std::function<void(std::exception_ptr)> errorHandler_;
};

} // namespace Dotfield
