#include "Dotfield/Application/AppDelegate.hpp"

#include <utility>

#include "Dotfield/Application/DispenserStatus/DispenserStatusPollTick.hpp"
#include "Dotfield/Application/Humidity/HumidityPollingLoop.hpp"
#include "Dotfield/Application/ProductTypes.hpp"
#include "Dotfield/Application/RecoveryAlerts.hpp"
#include "Dotfield/Calibration/DispenserCalibration/DispenserCalibration.hpp"
#include "Dotfield/Instrument/DispenserStatus/DispenserStatusPoll.hpp"
#include "Dotfield/Instrument/HelperFunctions/TimerTicks.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/Electronics/RedesignedImpedanceMeasurement.hpp"
#include "Dotfield/Instrument/Electronics/WaveformGenerator.hpp"
#include "Dotfield/Instrument/Errors/SerialPortConnectionError.hpp"
#include "Dotfield/Instrument/HelperFunctions/PresentError.hpp"
#include "Dotfield/Instrument/Humidity/HumiditySensor.hpp"
#include "Dotfield/Instrument/ImpedanceScan/DelayCalibrationTable.hpp"
#include "Dotfield/Instrument/Relay/Relay.hpp"
#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/Log.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

std::string describe(std::exception_ptr error) {
    try {
        std::rethrow_exception(std::move(error));
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "an error of unknown type";
    }
}

} // namespace

std::shared_ptr<AppDelegate> AppDelegate::create(AppDelegateEnvironment environment) {
    std::shared_ptr<AppDelegate> delegate(new AppDelegate(std::move(environment)));
    // Reported on the device queue that failed, which must not wait for the
    // operator: the alert opens on the main thread later.
    delegate->previousUnsafeOutputObserver_ =
        installUnsafeOutputObserver([weak = std::weak_ptr(delegate)](const std::string& message) {
            MainQueue::main().async([weak, message] {
                if (const auto self = weak.lock()) {
                    self->presentUnsafeOutputAlert(message);
                }
            });
        });
    return delegate;
}

AppDelegate::AppDelegate(AppDelegateEnvironment environment)
    : userDefaults_(environment.userDefaults), environment_(std::move(environment)) {}

AppDelegate::~AppDelegate() {
    installUnsafeOutputObserver(std::move(previousUnsafeOutputObserver_));
    stopHumidityLoop();
}

void AppDelegate::log(std::string_view message) const {
    if (environment_.console) {
        environment_.console(message);
    } else {
        Diagnostics::printWithContext(message);
    }
}

void AppDelegate::windowNotBuilt(std::string_view windowController, std::string_view step) const {
    log(std::string(windowController) + " is not built yet; skipped: " + std::string(step));
}

void AppDelegate::setDeviceStatusObserver(DeviceStatusObserver observer) {
    statusObserver_ = std::move(observer);
}

void AppDelegate::reportStatus(ShellDevice device, std::string text) {
    if (!statusObserver_) {
        return;
    }
    if (MainQueue::main().isCurrent()) {
        statusObserver_(device, text);
    } else {
        // A report that arrives after the delegate is gone is dropped.
        MainQueue::main().async([weak = weak_from_this(), device, text = std::move(text)] {
            if (const auto self = weak.lock()) {
                self->statusObserver_(device, text);
            }
        });
    }
}

void AppDelegate::reportElectronicsStatus() {
    if (!electronics_ || !electronics_->serialPort()) {
        reportStatus(ShellDevice::electronics, "Electronics: not connected");
        return;
    }
    const bool redesign = electronics_->hardwareGeneration() == ElectronicsHardwareGeneration::redesign2016;
    reportStatus(ShellDevice::electronics,
                 redesign ? "Electronics: connected (2016 redesign)" : "Electronics: connected (original design)");
}

std::shared_ptr<Robot> AppDelegate::robot() const {
    std::lock_guard lock(robotMutex_);
    return robot_;
}

std::optional<std::string> AppDelegate::robotModelName() const {
    std::lock_guard lock(robotMutex_);
    return robotModelName_;
}

// ---- Launch ----------------------------------------------------------------------

void AppDelegate::windowStep(OperatorWindow window, std::string_view step, bool show) {
    if (!windows_->isRegistered(window)) {
        windowNotBuilt(windowControllerName(window), step);
    } else if (show) {
        windows_->show(window, *this);
    } else {
        windows_->make(window, *this);
    }
}

void AppDelegate::applicationDidFinishLaunching() {
    windowStep(OperatorWindow::manualControls, "create and show the manual controls", true);
    windowStep(OperatorWindow::camera, "create and show the camera window", true);
    initializeHardware();
    errorHandler_ = errorHandler();
    startDispenserCalibration();
    if (const auto hand = windows_->hooks().handElectronicsToManualControls) {
        hand(*this);
    }
    windowStep(OperatorWindow::dispenserDiagnostics, "forward the sensor readings", false);
    windowStep(OperatorWindow::solutionWells, "hand over the robot and the electronics", false);
    windowStep(OperatorWindow::surfaceCantCalibration, "hand over the robot and the electronics", false);
    windowStep(OperatorWindow::topographyMap, "hand over the robot and the electronics", false);
    windowStep(OperatorWindow::rotationalCalibration, "hand over the robot", false);
    if (const auto wire = windows_->hooks().wireDocumentController) {
        wire(*this);
    } else {
        log("PatternDocumentController is not built yet; skipped: wire the document controller");
    }
    if (electronics_->serialPort()) {
        activatePollingOfDispenserStatus();
    } else {
        reportStatus(ShellDevice::dispenser, "Dispenser: not polled (no electronics)");
    }
}

void AppDelegate::initializeHardware() {
    electronics_ = std::make_shared<Electronics>(userDefaults_);
    // The main thread holds the electronics' queue while it connects, so the
    // connection alert can run here without waiting for the queue.
    electronics_->serialDispatchQueue().sync([this] { internalElectronicsConnectionOperation(); });
    reportElectronicsStatus();
    electronics_->serialDispatchQueue().async([weak = weak_from_this()] {
        if (const auto self = weak.lock()) {
            self->connectToRelay();
        }
    });
    chooseRobotModel();
    connectToRobotics();
}

void AppDelegate::openElectronicsLink() {
    const auto link = properties(SerialPortType::electronics);
    auto port = openSerialPort(link.portName, link.baudRate, link.evenParity, environment_.serialPortTiming);
    electronics_->setSerialPort(port);
    electronics_->setHardwareGeneration(determineElectronicsHardwareGeneration(*port));
}

void AppDelegate::internalElectronicsConnectionOperation() {
    for (;;) {
        try {
            openElectronicsLink();
            setElectronicsRelayState(ElectronicsRelayState::electronicsState, *electronics_->serialPort());
            return;
        } catch (const SerialPortConnectionError& error) {
            bool retry = false;
            presentRecoveryAlert(
                AlertDevice::electronics,
                {.content = launchConnectionAlertContent(error),
                 .defaultAction =
                     [this, &retry] {
                         if (const auto port = electronics_->serialPort()) {
                             port->closeSerialPort();
                             electronics_->setSerialPort(nullptr);
                         }
                         retry = true;
                     },
                 .alternateAction = [this] { log(userCancelledErrorRecovery); }});
            if (!retry) {
                return;
            }
        } catch (...) {
            log("Hiding the read errors from the setting of the relay state");
            return;
        }
    }
}

void AppDelegate::connectToRelay() {
    const auto link = properties(SerialPortType::relay);
    try {
        auto port = openSerialPort(link.portName, link.baudRate, link.evenParity, environment_.serialPortTiming);
        MainQueue::main().async([weak = weak_from_this(), port] {
            const auto self = weak.lock();
            if (!self) {
                port->closeSerialPort();
                return;
            }
            self->relay_ = std::make_shared<Relay>();
            self->relay_->setSerialPort(port);
            // Whichever of the relay and the sensor comes first, the humidity
            // control gets the relay.
            if (self->humidityLoop_ && !self->humidityLoop_->relay()) {
                self->humidityLoop_->setRelay(self->relay_);
            }
            self->windowStep(OperatorWindow::relayControls, "show the relay controls", false);
            self->reportStatus(ShellDevice::relay, "Relay: connected");
        });
    } catch (...) {
        // No relay: no window, no alert.
        reportStatus(ShellDevice::relay, "Relay: not connected");
    }
    connectToHumidity();
}

namespace {

// The status set-up is tried this often per round, in this many rounds.
constexpr int statusSetUpAttempts = 2;
constexpr int statusSetUpRounds = 3;

} // namespace

void AppDelegate::activatePollingOfDispenserStatus() {
    const auto points = [this] {
        if (const auto statistics = electronics_->dispenserStatistics()) {
            const auto& s = *statistics;
            return DispenserStatusPoints{s[0].measurementSettings, s[1].measurementSettings,
                                         s[2].measurementSettings, s[3].measurementSettings,
                                         s[4].measurementSettings};
        }
        return dispenserStatusPointsOfDelayTable(bundledDelayCalibrationTable());
    }();
    reportStatus(ShellDevice::dispenser, "Dispenser: starting the status poll");
    electronics_->serialDispatchQueue().async([weak = weak_from_this(), points] {
        if (const auto self = weak.lock()) {
            self->setUpDispenserStatusPoll(points);
        }
    });
}

void AppDelegate::reopenElectronicsLink() {
    if (const auto port = electronics_->serialPort()) {
        port->closeSerialPort();
        electronics_->setSerialPort(nullptr);
    }
    openElectronicsLink();
}

void AppDelegate::setUpDispenserStatusPoll(const DispenserStatusPoints& points) {
    if (pollActivated_.load() || alertGate_.terminating()) {
        return;
    }
    for (int round = 0; round < statusSetUpRounds; ++round) {
        for (int attempt = 0; attempt < statusSetUpAttempts; ++attempt) {
            try {
                electronics_->initializeStatusCheck(points);
                std::weak_ptr<AppDelegate> weak = weak_from_this();
                DispenserStatusPollEnvironment environment{
                    .electronics = electronics_.get(),
                    .windows = pollWindows_,
                    // Once termination has begun the link stays closed and the
                    // windows are left alone (the main thread no longer serves them).
                    .reopenElectronicsLink =
                        [weak] {
                            if (const auto self = weak.lock(); self && !self->alertGate_.terminating()) {
                                self->reopenElectronicsLink();
                            }
                        },
                    .onMainThread =
                        [weak](const std::function<void()>& work) {
                            if (const auto self = weak.lock(); self && !self->alertGate_.terminating()) {
                                MainQueue::main().sync(work);
                            }
                        },
                    .console =
                        [weak](std::string_view line) {
                            if (const auto self = weak.lock()) {
                                self->log(line);
                            }
                        },
                    .reportState =
                        [weak](const std::string& text) {
                            if (const auto self = weak.lock()) {
                                self->reportStatus(ShellDevice::dispenser, text);
                            }
                        },
                    .reopenInterval = environment_.electronicsReopenInterval};
                auto tick = std::make_shared<DispenserStatusPollTick>(std::move(environment), points);
                pollActivated_.store(true);
                startRepeatingTimer(*electronics_, dispenserStatusPollInterval, dispenserStatusPollLeeway,
                                    [tick] { (*tick)(); });
                return;
            } catch (const std::exception& error) {
                log(std::string("Setting up the dispenser status check failed: ") + error.what());
            }
        }
        if (round + 1 < statusSetUpRounds) {
            try {
                reopenElectronicsLink();
            } catch (const std::exception& error) {
                log(std::string("Reopening the electronics link failed: ") + error.what());
            }
        }
    }
    log("Dispenser status unavailable");
    reportStatus(ShellDevice::dispenser, "Dispenser status unavailable");
}

PatternParameters AppDelegate::updateParametersOnNewPattern() const {
    // A window that is not built gives its default.
    const auto hooks = windows_->hooks();
    PatternParameters parameters;
    if (hooks.topographyMap) {
        parameters.topographyMap = hooks.topographyMap();
    }
    if (hooks.surfaceCant) {
        parameters.surfaceCant = hooks.surfaceCant();
    }
    if (hooks.solutionWells) {
        parameters.solutionWells = hooks.solutionWells();
    }
    if (hooks.rotation) {
        parameters.rotation = hooks.rotation();
    }
    if (hooks.uvCuringMode) {
        parameters.uvCuringMode = hooks.uvCuringMode();
    }
    return parameters;
}

void AppDelegate::setDispenserCalibration(std::shared_ptr<DispenserCalibration> calibration) {
    dispenserCalibration_ = std::move(calibration);
}

void AppDelegate::startDispenserCalibration() {
    if (!dispenserCalibration_) {
        windowStep(OperatorWindow::dispenserCalibration, "load the previous calibration", false);
        return;
    }
    // The calibration's window is made with it; its entry counts as made.
    windows_->make(OperatorWindow::dispenserCalibration, *this);
    dispenserCalibration_->setElectronics(electronics_);
    dispenserCalibration_->setErrorHandler(errorHandler_);
    dispenserCalibration_->loadPreviousCalibration();
    pollWindows_->update([weak = std::weak_ptr(dispenserCalibration_)](DispenserStatusPollWindows& windows) {
        windows.dispenserReconnected = [weak] {
            if (const auto calibration = weak.lock()) {
                calibration->dispenserReconnected();
            }
        };
        windows.dispenserDisconnected = [weak] {
            if (const auto calibration = weak.lock()) {
                calibration->dispenserDisconnected();
            }
        };
    });
}

void AppDelegate::recalibrationOperationForSurfaceFinding() {
    if (!dispenserCalibration_) {
        windowNotBuilt("DispenserCalibrationController", "recalibrate before finding the surface");
        return;
    }
    dispenserCalibration_->recalibrate(false);
}

void AppDelegate::recalibrationOperationForSurfaceFindingDuringPatternPrinting() {
    if (!dispenserCalibration_) {
        windowNotBuilt("DispenserCalibrationController", "recalibrate before finding the surface while printing");
        return;
    }
    dispenserCalibration_->recalibrate(true);
}

// ---- Humidity --------------------------------------------------------------------

void AppDelegate::connectToHumidity() {
    std::lock_guard lock(humidityThreadMutex_);
    if (humidityThread_.joinable()) {
        return;
    }
    auto ended = std::make_shared<std::promise<void>>();
    humidityThreadEnded_ = ended->get_future().share();
    humidityThread_ = std::thread([weak = weak_from_this(), ended] {
        std::shared_ptr<HumidityPollingLoop> loop;
        if (const auto self = weak.lock()) {
            loop = self->bringUpHumiditySensor();
        }
        // The loop runs without holding the delegate, which stops it when it goes.
        if (loop) {
            loop->run();
        }
        ended->set_value();
        MainQueue::main().wakeWaitingMainThread();
    });
}

std::shared_ptr<HumidityPollingLoop> AppDelegate::bringUpHumiditySensor() {
    std::shared_ptr<HumiditySensor> sensor;
    try {
        sensor = HumiditySensor::connectToHumiditySensor();
    } catch (...) {
        // No sensor: no window, no alert.
        reportStatus(ShellDevice::humiditySensor, "Humidity sensor: not connected");
        return nullptr;
    }
    std::weak_ptr<AppDelegate> weak = weak_from_this();
    HumidityPollingLoop::Handlers handlers{
        .reading =
            [weak](const HumidityReading&) {
                if (const auto self = weak.lock()) {
                    self->humidityErrorsQuiet_.store(false);
                }
            },
        .failure =
            [weak](std::exception_ptr error) {
                if (const auto self = weak.lock()) {
                    self->humidityLoopFailed(std::move(error));
                }
            }};
    auto loop = std::make_shared<HumidityPollingLoop>(sensor, *userDefaults_, std::move(handlers),
                                                      environment_.humiditySleeper);
    const bool started = MainQueue::main().sync([this, &loop] {
        if (alertGate_.terminating()) {
            return false;
        }
        humidityLoop_ = loop;
        if (relay_) {
            loop->setRelay(relay_);
        }
        windowStep(OperatorWindow::humidity, "show the humidity window", true);
        reportStatus(ShellDevice::humiditySensor, "Humidity sensor: connected");
        return true;
    });
    if (!started) {
        sensor->releaseHumiditySensor(environment_.deviceReleaseWait);
        return nullptr;
    }
    return loop;
}

void AppDelegate::humidityLoopFailed(std::exception_ptr error) {
    if (humidityErrorsQuiet_.load()) {
        log("Humidity control error after its recovery was cancelled: " + describe(error));
        return;
    }
    handleError(std::move(error));
}

void AppDelegate::stopHumidityLoop() {
    std::thread thread;
    std::shared_future<void> ended;
    {
        std::lock_guard lock(humidityThreadMutex_);
        thread = std::move(humidityThread_);
        ended = humidityThreadEnded_;
    }
    const auto loop = std::exchange(humidityLoop_, nullptr);
    if (loop) {
        loop->stopReading();
    }
    if (thread.joinable()) {
        if (thread.get_id() == std::this_thread::get_id()) {
            // The loop's own thread dropped the last owner: it ends by itself.
            thread.detach();
        } else {
            const auto wait = environment_.deviceReleaseWait;
            const auto isEnded = [&ended] {
                return ended.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
            };
            if (MainQueue::main().isCurrent()) {
                // The bring-up may be waiting for the main thread: serve it.
                const auto deadline = std::chrono::steady_clock::now() + wait;
                std::thread waker([&ended, wait] {
                    ended.wait_for(wait);
                    MainQueue::main().wakeWaitingMainThread();
                });
                MainQueue::main().waitServicingSyncWork(
                    [&] { return isEnded() || std::chrono::steady_clock::now() >= deadline; });
                waker.join();
            } else {
                ended.wait_for(wait);
            }
            if (isEnded()) {
                thread.join();
            } else {
                log("The humidity loop did not end in time; it is left to finish on its own");
                thread.detach();
            }
        }
    }
    if (loop) {
        if (const auto sensor = loop->humiditySensor();
            sensor && !sensor->releaseHumiditySensor(environment_.deviceReleaseWait)) {
            log("The humidity sensor stayed busy; its handle was not released");
        }
    }
}

namespace {

// The longest wait for the positioner's queue to finish the work under way.
constexpr auto robotIdleWait = std::chrono::seconds(5);

// Runs the work on the queue and waits for it at most `wait`, serving the main
// thread meanwhile when called there; answers whether it ran in time. Work
// that did not start in time still runs later.
bool runOnQueueWithin(SerialQueue& queue, std::function<void()> work, std::chrono::nanoseconds wait) {
    auto done = std::make_shared<std::promise<void>>();
    auto ended = done->get_future().share();
    queue.async([work = std::move(work), done] {
        work();
        done->set_value();
        MainQueue::main().wakeWaitingMainThread();
    });
    const auto isDone = [&ended] { return ended.wait_for(std::chrono::seconds(0)) == std::future_status::ready; };
    if (!MainQueue::main().isCurrent()) {
        return ended.wait_for(wait) == std::future_status::ready;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    std::thread waker([ended, wait] {
        ended.wait_for(wait);
        MainQueue::main().wakeWaitingMainThread();
    });
    MainQueue::main().waitServicingSyncWork([&] { return isDone() || std::chrono::steady_clock::now() >= deadline; });
    waker.join();
    return isDone();
}

} // namespace

void AppDelegate::shutDown() {
    beginTermination();
    const auto robot = this->robot();
    const auto hooks = windows_->hooks();
    const auto callHook = [this](const std::function<void()>& hook, std::string_view what) {
        if (!hook) {
            return;
        }
        try {
            hook();
        } catch (const std::exception& error) {
            log(std::string(what) + " failed at the end: " + error.what());
        }
    };
    // (1) No more status ticks.
    if (electronics_ && !electronicsLinkReleased_.exchange(true)) {
        electronics_->dispatchTimer().suspend();
    }
    // (2) Every running job told to stop: the prints, the moves, the motion
    // test, dispensing and spraying, a calibration.
    callHook(hooks.cancelEveryPrint, "Cancelling the prints");
    if (robot) {
        robot->setMovementAborted(true);
    }
    callHook(hooks.cancelPerformanceTestingLoop, "Stopping the motion test");
    if (electronics_) {
        electronics_->setSprayingOrDispensingCancelled(true);
    }
    if (dispenserCalibration_) {
        dispenserCalibration_->endCalibration();
    }
    if (robot) {
        // (3) The motion under way ends (bounded).
        if (!runOnQueueWithin(robot->serialDispatchQueue(), [] {}, robotIdleWait)) {
            log("The positioner was still busy when the program ended");
        }
    }
    // (4) The generator off and its output back to the electronics, once the
    // tick in flight has ended (best-effort).
    if (electronics_) {
        electronics_->serialDispatchQueue().sync([this] {
            if (!electronics_->serialPort()) {
                return;
            }
            try {
                electronics_->stopDispensing();
            } catch (...) {
                writeLogLine(describeFailure("Switching the dispenser off at the end failed", std::current_exception()));
            }
        });
    }
    // (5) The positioner's link closed.
    if (robot) {
        const bool closed = runOnQueueWithin(
            robot->serialDispatchQueue(),
            [robot] {
                try {
                    robot->disconnectFromSerialPort();
                } catch (...) {
                    // The run ends either way.
                }
            },
            robotIdleWait);
        if (!closed) {
            log("The positioner's link could not be closed in time");
        }
    }
    // (6) The humidity loop stopped (it opens its relay) and its thread
    // joined; a camera recording finished.
    stopHumidityLoop();
    callHook(hooks.finishRecording, "Finishing the camera recording");
    // (7) The electronics link closed.
    if (electronics_) {
        electronics_->serialDispatchQueue().sync([this] {
            if (const auto port = electronics_->serialPort()) {
                port->closeSerialPort();
                electronics_->setSerialPort(nullptr);
            }
        });
    }
    if (const auto relay = std::exchange(relay_, nullptr)) {
        if (const auto port = relay->serialPort()) {
            port->closeSerialPort();
        }
    }
    // (8) The settings written out.
    if (const auto* standard = std::get_if<UserDefaults::StandardDefaults>(&userDefaults_->backingStore());
        standard && standard->defaults && !standard->defaults->flush()) {
        log("The settings could not be written at the end");
    }
}

void AppDelegate::beginTermination() {
    alertGate_.beginTermination();
}

} // namespace Dotfield
