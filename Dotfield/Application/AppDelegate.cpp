#include "Dotfield/Application/AppDelegate.hpp"

#include <utility>

#include "Dotfield/Application/RecoveryAlerts.hpp"
#include "Dotfield/Calibration/DispenserCalibration/DispenserCalibration.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/HelperFunctions/PresentError.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"

namespace Dotfield {

std::shared_ptr<AppDelegate> AppDelegate::create(AppDelegateEnvironment environment) {
    std::shared_ptr<AppDelegate> delegate(new AppDelegate(std::move(environment)));
    const std::weak_ptr<AppDelegate> weak = delegate;
    delegate->devices_.setErrorHandler(delegate->errorHandler());
    delegate->devices_.setWindows(
        {.step =
             [weak](OperatorWindow window, std::string_view step, bool show) {
                 if (const auto self = weak.lock()) {
                     self->windowStep(window, step, show);
                 }
             },
         .drop =
             [weak](OperatorWindow window) {
                 if (const auto self = weak.lock()) {
                     self->windows_->drop(window);
                 }
             },
         .hooks = [weak] {
             const auto self = weak.lock();
             return self ? self->windows_->hooks() : ShellWindowHooks{};
         }});
    return delegate;
}

AppDelegate::AppDelegate(AppDelegateEnvironment environment)
    : userDefaults_(environment.userDefaults), devices_(std::move(environment), pollWindows_) {}

void AppDelegate::setDeviceStatusObserver(DeviceStatusObserver observer) {
    devices_.setStatusObserver(std::move(observer));
}

AppDelegate::ErrorHandler AppDelegate::errorHandler() const {
    const std::weak_ptr<AppDelegate> weak = std::const_pointer_cast<AppDelegate>(shared_from_this());
    return [weak](std::exception_ptr error) {
        if (const auto self = weak.lock()) {
            self->devices_.handleError(std::move(error));
        } else if (!DeviceSupervisor::isDeviceError(error)) {
            presentError(
                {.content = unexpectedCommunicationsErrorAlertContent(), .defaultAction = {}, .alternateAction = {}});
        }
    };
}

// ---- Launch ----------------------------------------------------------------------

void AppDelegate::windowStep(OperatorWindow window, std::string_view step, bool show) {
    if (!windows_->isRegistered(window)) {
        devices_.windowNotBuilt(windowControllerName(window), step);
    } else if (show) {
        windows_->show(window, *this);
    } else {
        windows_->make(window, *this);
    }
}

void AppDelegate::applicationDidFinishLaunching() {
    windowStep(OperatorWindow::manualControls, "create and show the manual controls", true);
    windowStep(OperatorWindow::camera, "create and show the camera window", true);
    devices_.connectAll();
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
        devices_.log("PatternDocumentController is not built yet; skipped: wire the document controller");
    }
    if (electronics()->serialPort()) {
        devices_.activatePollingOfDispenserStatus();
    } else {
        devices_.reportStatus(ShellDevice::dispenser, "Dispenser: not polled (no electronics)");
    }
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
    dispenserCalibration_->setElectronics(electronics());
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
        devices_.windowNotBuilt("DispenserCalibrationController", "recalibrate before finding the surface");
        return;
    }
    dispenserCalibration_->recalibrate(false);
}

void AppDelegate::recalibrationOperationForSurfaceFindingDuringPatternPrinting() {
    if (!dispenserCalibration_) {
        devices_.windowNotBuilt("DispenserCalibrationController",
                                "recalibrate before finding the surface while printing");
        return;
    }
    dispenserCalibration_->recalibrate(true);
}

// ---- Shutdown --------------------------------------------------------------------

void AppDelegate::shutDown() {
    beginTermination();
    const auto hooks = windows_->hooks();
    const auto callHook = [this](const std::function<void()>& hook, std::string_view what) {
        if (!hook) {
            return;
        }
        try {
            hook();
        } catch (const std::exception& error) {
            devices_.log(std::string(what) + " failed at the end: " + error.what());
        }
    };
    // (1) Every running job told to stop: the status ticks, the moves,
    // dispensing and spraying; the prints, the motion test, a calibration.
    devices_.stopAll();
    callHook(hooks.cancelEveryPrint, "Cancelling the prints");
    callHook(hooks.cancelPerformanceTestingLoop, "Stopping the motion test");
    if (dispenserCalibration_) {
        dispenserCalibration_->endCalibration();
    }
    // (2) The motion under way ended (bounded) and the dispenser off.
    devices_.settleAll();
    // (3) A camera recording finished; the devices let go.
    callHook(hooks.finishRecording, "Finishing the camera recording");
    devices_.releaseAll();
    // (4) The settings written out.
    if (const auto* standard = std::get_if<UserDefaults::StandardDefaults>(&userDefaults_->backingStore());
        standard && standard->defaults && !standard->defaults->flush()) {
        devices_.log("The settings could not be written at the end");
    }
}

void AppDelegate::beginTermination() {
    devices_.beginTermination();
}

} // namespace Dotfield
