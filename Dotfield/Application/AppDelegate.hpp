#pragma once
// The spine of the application. Created once at start, it owns the settings
// store, the operator windows' registry and the device supervisor; it runs
// the launch (the first windows, the instrument brought up by the
// supervisor, the windows handed their collaborators, the status poll), the
// menus' commands and the ordered shutdown. Everything about the devices
// themselves (connecting, their state, the recovery alerts, letting them go)
// is the supervisor's (Devices/DeviceSupervisor.hpp).
//
// Threads: the launch, every window hand-over and every alert run on the
// main thread.
//
// The operator windows plug in through windows() (OperatorWindowRegistry.hpp
// shows how); a window not registered is not built yet: its steps are skipped
// with a console line, what it would hand over takes its default, and its
// menu item is disabled.

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Dotfield/Application/DeviceStatus.hpp"
#include "Dotfield/Application/Devices/DeviceEnvironment.hpp"
#include "Dotfield/Application/Devices/DeviceSupervisor.hpp"
#include "Dotfield/Application/DispenserStatus/DispenserStatusPollWindows.hpp"
#include "Dotfield/Application/PatternParameters.hpp"
#include "Dotfield/Application/Windows/OperatorWindowRegistry.hpp"
#include "Dotfield/Platform/Alerts/ErrorAlertContent.hpp"

namespace Dotfield {

class DispenserCalibration;
class Electronics;
class HumidityPollingLoop;
class Relay;
class Robot;
class UserDefaults;

using AppDelegateEnvironment = DeviceEnvironment;

class AppDelegate : public std::enable_shared_from_this<AppDelegate> {
  public:
    using ErrorHandler = std::function<void(std::exception_ptr)>;

    static std::shared_ptr<AppDelegate> create(AppDelegateEnvironment environment);
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // ---- Launch (main thread) -------------------------------------------------

    void applicationDidFinishLaunching();
    // Recalibrate the dispenser (a full run; a sampling-only run while
    // printing) on the calling thread, with the calibration window and its
    // recalibrating panel; skipped without a calibration.
    void recalibrationOperationForSurfaceFinding();
    void recalibrationOperationForSurfaceFindingDuringPatternPrinting();
    // The dispenser calibration the windows show; set before the launch. The
    // launch hands it the electronics and the error handler, loads the
    // previous calibration and gives it the status poll's calls.
    void setDispenserCalibration(std::shared_ptr<DispenserCalibration> calibration);
    std::shared_ptr<DispenserCalibration> dispenserCalibration() const { return dispenserCalibration_; }
    // The windows the status poll drives; each window fills its slots when made.
    DispenserStatusPollWindowRegistry& pollWindows() { return *pollWindows_; }
    // The operator windows; they register before the launch.
    OperatorWindowRegistry& windows() { return *windows_; }
    const OperatorWindowRegistry& windows() const { return *windows_; }
    // The pattern-parameter hand-over of a new document (main thread).
    PatternParameters updateParametersOnNewPattern() const;

    // ---- Menus (main thread) -------------------------------------------------------

    // Whether the menu item with this action ("showPreferences:", ...) is
    // enabled now: only when the hardware its window needs is connected and
    // the window is built. Other actions are enabled and logged.
    bool validateUserInterfaceItem(std::string_view action, std::string_view item) const;
    // Runs one of the twelve window commands by its action; false for any
    // other action. A command whose item is disabled does nothing.
    bool performMenuCommand(std::string_view action);
    // The window-closing operation: closes every other operator window, in order.
    void closeOperatorWindows();
    // The support-information alert.
    static ErrorAlertContent supportInformation();

    // ---- Errors ----------------------------------------------------------------------

    // The one error handler every window and document receives. It holds the
    // delegate weakly; any thread may call it and waits for the alert.
    ErrorHandler errorHandler() const;

    // ---- Shutdown --------------------------------------------------------------------

    // From now on errors are only logged (termination has begun).
    void beginTermination();
    // Ends the run: no more alerts; the work under way stopped; the devices
    // let go by the supervisor (the humidity loop's and the camera set-up's
    // threads joined); the settings written out. Main thread; a second call
    // only closes what is still open.
    void shutDown();

    // ---- State --------------------------------------------------------------------

    const std::shared_ptr<UserDefaults>& userDefaults() const { return userDefaults_; }
    DeviceSupervisor& devices() { return devices_; }
    std::shared_ptr<Electronics> electronics() const { return devices_.electronics(); }
    std::shared_ptr<Robot> robot() const { return devices_.robot(); }
    // The model the "productType" setting chose, or none.
    std::optional<std::string> robotModelName() const { return devices_.robotModelName(); }
    // Main thread.
    std::shared_ptr<Relay> relay() const { return devices_.relay(); }
    std::shared_ptr<HumidityPollingLoop> humidityLoop() const { return devices_.humidityLoop(); }

    // Receives each device's status line on the main thread; set before launch.
    void setDeviceStatusObserver(DeviceStatusObserver observer);

  private:
    explicit AppDelegate(AppDelegateEnvironment environment);

    // Makes (and shows) a registered window at its step; else the step's console line.
    void windowStep(OperatorWindow window, std::string_view step, bool show);
    // The launch step of the dispenser calibration.
    void startDispenserCalibration();

    const std::shared_ptr<UserDefaults> userDefaults_;
    const std::shared_ptr<DispenserStatusPollWindowRegistry> pollWindows_ =
        std::make_shared<DispenserStatusPollWindowRegistry>();
    const std::unique_ptr<OperatorWindowRegistry> windows_ = std::make_unique<OperatorWindowRegistry>();
    DeviceSupervisor devices_;
    ErrorHandler errorHandler_;
    std::shared_ptr<DispenserCalibration> dispenserCalibration_;
};

} // namespace Dotfield
