#pragma once
// The spine of the application. Created once at start, it owns the settings
// store, the dispenser electronics, the relay, the humidity control and the
// positioner, brings the instrument up in a fixed order when launching has
// finished (electronics, relay box, humidity sensor, positioner), hands the
// operator windows their collaborators, and recovers from device failures
// through one error handler (the recovery alerts and their actions).
//
// Threads: the launch, every window hand-over and every alert run on the main
// thread. The electronics connect on the electronics' queue while the main
// thread holds it; the relay connects on that queue afterwards; the humidity
// sensor connects, and its polling loop runs, on a thread of the delegate's
// own that shutDown() stops and joins; the positioner connects on its queue.
//
// The operator windows plug in through windows() (OperatorWindowRegistry.hpp
// shows how); a window not registered is not built yet: its steps are skipped
// with a console line, what it would hand over takes its default, and its
// menu item is disabled.

#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "Dotfield/Application/AlertGate.hpp"
#include "Dotfield/Instrument/SafeState/UnsafeOutputReport.hpp"
#include "Dotfield/Application/DeviceStatus.hpp"
#include "Dotfield/Application/DispenserStatus/DispenserStatusPollWindows.hpp"
#include "Dotfield/Application/PatternParameters.hpp"
#include "Dotfield/Application/ProductTypes.hpp"
#include "Dotfield/Application/Windows/OperatorWindowRegistry.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortTiming.hpp"
#include "Dotfield/Platform/Alerts/ErrorAlertContent.hpp"
#include "Dotfield/Platform/Clock.hpp"

namespace Dotfield {

class DispenserCalibration;
class Electronics;
class ElectronicsError;
class HumidityPollingLoop;
class HumiditySensorError;
class Relay;
class RelayError;
class Robot;
class RoboticsError;
class SerialPortConnectionError;
class UserDefaults;
struct ErrorAlertRequest;

struct AppDelegateEnvironment {
    std::shared_ptr<UserDefaults> userDefaults;
    // Console lines (silent by default: the diagnostic hook).
    std::function<void(std::string_view)> console;
    // How the device links are opened (tests shorten the driver's time-outs).
    SerialPortTiming serialPortTiming;
    // The humidity loop's pause between readings.
    std::shared_ptr<Sleeper> humiditySleeper = systemSleeper();
    // The longest wait for the humidity sensor's semaphore or for the
    // humidity loop to end.
    std::chrono::nanoseconds deviceReleaseWait = std::chrono::seconds(2);
    // How a positioner model is made (the models' table unless a test says
    // otherwise); an empty factory means the model is not built.
    std::function<RobotModelFactory(const std::string& modelName)> robotModels = robotModelFactory;
    // The shortest time between two reopenings of the electronics link by the
    // status poll while the electronics stay away.
    std::chrono::nanoseconds electronicsReopenInterval = std::chrono::seconds(1);
};

class AppDelegate : public std::enable_shared_from_this<AppDelegate> {
  public:
    using ErrorHandler = std::function<void(std::exception_ptr)>;

    static std::shared_ptr<AppDelegate> create(AppDelegateEnvironment environment);
    // Stops the humidity loop if shutDown() has not.
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // ---- Launch (main thread) -------------------------------------------------

    void applicationDidFinishLaunching();
    void initializeHardware();
    // The launch connection of the electronics, on the electronics' queue held
    // by the calling thread; its alert repeats until the link opens or the
    // operator cancels.
    void internalElectronicsConnectionOperation();
    void connectToRelay();
    void connectToHumidity();
    // Makes the robot the "productType" setting chooses (none when the value
    // names no supported model, or the model is not built).
    void chooseRobotModel();
    // Connects the robot on its queue; a RoboticsError shows the robot
    // connection alert. Nothing without a robot.
    void connectToRobotics();
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
    // Chooses the five status points and sets the poll up on the electronics'
    // queue (the main thread goes on serving events): the status set-up is
    // tried twice per round, the link reopened between rounds, and after three
    // rounds the poll gives up with "Dispenser status unavailable".
    void activatePollingOfDispenserStatus();
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

    // ---- Error recovery ------------------------------------------------------------

    // The one error handler every window and document receives. It holds the
    // delegate weakly; any thread may call it and waits for the alert.
    ErrorHandler errorHandler() const;
    void handleError(std::exception_ptr error);
    void handleRoboticsError(const RoboticsError& error);
    void handleElectronicsError(const ElectronicsError& error);
    void handleRelayError(const RelayError& error);
    void handleHumidityError(const HumiditySensorError& error);
    void reconnectToElectronics();

    // The support-information alert.
    static ErrorAlertContent supportInformation();

    // The dispenser or the UV lamp could not be switched off (the message
    // says which, and why): an alert telling the operator to switch them off.
    // Main thread.
    void presentUnsafeOutputAlert(const std::string& message);

    // From now on errors are only logged (termination has begun).
    void beginTermination();
    // Ends the run: no more alerts; the humidity loop stopped and its thread
    // joined, the sensor released once; the status poll suspended; the
    // electronics and relay links closed. Main thread; a second call only
    // closes what is still open.
    void shutDown();

    // ---- State --------------------------------------------------------------------

    const std::shared_ptr<UserDefaults>& userDefaults() const { return userDefaults_; }
    std::shared_ptr<Electronics> electronics() const { return electronics_; }
    std::shared_ptr<Robot> robot() const;
    // The model the "productType" setting chose, or none.
    std::optional<std::string> robotModelName() const;
    // Main thread.
    std::shared_ptr<Relay> relay() const { return relay_; }
    std::shared_ptr<HumidityPollingLoop> humidityLoop() const { return humidityLoop_; }

    // Receives each device's status line on the main thread; set before launch.
    void setDeviceStatusObserver(DeviceStatusObserver observer);

  private:
    explicit AppDelegate(AppDelegateEnvironment environment);

    void log(std::string_view message) const;
    void windowNotBuilt(std::string_view windowController, std::string_view step) const;
    // Makes (and shows) a registered window at its step; else the step's console line.
    void windowStep(OperatorWindow window, std::string_view step, bool show);
    void reportStatus(ShellDevice device, std::string text);
    void reportElectronicsStatus();
    // The launch step of the dispenser calibration.
    void startDispenserCalibration();

    // Shows a recovery alert unless one of the device is open or termination
    // has begun; then the error is only logged.
    void presentRecoveryAlert(AlertDevice device, const ErrorAlertRequest& request);

    // Opens "Dual RS232 A" and reads the hardware generation into the electronics.
    void openElectronicsLink();
    // Closes the electronics link if open, then opens it again.
    void reopenElectronicsLink();
    // On the electronics' queue: the status set-up and the start of the poll.
    void setUpDispenserStatusPoll(const DispenserStatusPoints& points);
    void presentRobotConnectionAlert(const RoboticsError& error);
    // A robot alert whose OK runs the recovery and whose Cancel is logged.
    void presentRobotAlert(const RoboticsError& error, std::function<void()> recovery);
    // Hands the robot to the manual controls, once per robot.
    void handRobotToManualControls(const std::shared_ptr<Robot>& robot);
    // On the robot's queue: the robot connected again; its errors go to the handler.
    void reconnectRobot(const std::shared_ptr<Robot>& robot, bool disconnectFirst);
    // Homes the robot when it needs homing, else moves it home; on the robot's queue.
    void homeIfNeeded(const std::shared_ptr<Robot>& robot, bool clearPositionerErrorsFirst);
    void presentReconnectionAlert(AlertDevice device, ErrorAlertContent content, void (AppDelegate::*reconnect)());
    void reconnectRelay();
    void dropRelay();
    void reconnectHumiditySensor();
    void stopHumidityLoop();
    void humidityLoopFailed(std::exception_ptr error);
    // Connects the sensor and makes its loop (on the humidity thread).
    std::shared_ptr<HumidityPollingLoop> bringUpHumiditySensor();

    const std::shared_ptr<UserDefaults> userDefaults_;
    const AppDelegateEnvironment environment_;
    AlertGate alertGate_;
    // The observer of unsafe outputs before this delegate's, put back at its end.
    UnsafeOutputObserver previousUnsafeOutputObserver_;
    ErrorHandler errorHandler_;
    DeviceStatusObserver statusObserver_;

    std::shared_ptr<Electronics> electronics_;
    std::shared_ptr<DispenserCalibration> dispenserCalibration_;
    // Set once Cancel of an electronics alert stopped the poll; a later good
    // reconnection resumes it once.
    std::atomic<bool> pollStoppedByCancel_{false};
    std::atomic<bool> pollActivated_{false};
    const std::shared_ptr<DispenserStatusPollWindowRegistry> pollWindows_ =
        std::make_shared<DispenserStatusPollWindowRegistry>();
    const std::unique_ptr<OperatorWindowRegistry> windows_ = std::make_unique<OperatorWindowRegistry>();
    std::atomic<bool> electronicsLinkReleased_{false};

    mutable std::mutex robotMutex_;
    std::shared_ptr<Robot> robot_;
    std::optional<std::string> robotModelName_;
    // The robot last handed to the manual controls (main thread).
    std::weak_ptr<Robot> robotOfManualControls_;

    // Main thread.
    std::shared_ptr<Relay> relay_;
    std::shared_ptr<HumidityPollingLoop> humidityLoop_;
    // After Cancel of a humidity or relay alert the loop's errors are only
    // logged, until it reads the sensor again.
    std::atomic<bool> humidityErrorsQuiet_{false};

    std::mutex humidityThreadMutex_;
    std::thread humidityThread_;
    std::shared_future<void> humidityThreadEnded_;
};

} // namespace Dotfield
