// Plugs the surface-cant calibration into the shell: made at launch with the
// settings store, handed the error handler, the robot (whose busy state it
// follows), the electronics with the dispenser's state and the surface
// finding's recalibration, kept told of the dispenser by the status poll,
// shown from the Windows menu, and its cant offered to each new pattern.

#include <memory>

#include "Dotfield/Application/AppDelegate.hpp"
#include "Dotfield/Application/UI/Shell/OperatorWindowRegistration.hpp"
#include "Dotfield/Calibration/UI/SurfaceCantCalibrationWindowController.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"

namespace Dotfield {

void registerSurfaceCantCalibrationWindow(OperatorWindowRegistration& registration) {
    auto holder = std::make_shared<std::unique_ptr<SurfaceCantCalibrationWindowController>>();
    registration.windows.add(OperatorWindow::surfaceCantCalibration, {
        .make = [holder](AppDelegate& delegate) {
            auto controller = std::make_unique<SurfaceCantCalibrationWindowController>(delegate.userDefaults());
            controller->setErrorHandler(delegate.errorHandler());
            controller->setRobot(delegate.robot());
            controller->observeRobotReadiness();
            const std::shared_ptr<Electronics> electronics = delegate.electronics();
            controller->setElectronics(electronics);
            controller->setDispenserConnected(electronics && electronics->dispenserStatistics().has_value());
            std::weak_ptr<AppDelegate> weak = delegate.weak_from_this();
            controller->setRecalibrationOperationForSurfaceFinding([weak] {
                if (const auto self = weak.lock()) {
                    self->recalibrationOperationForSurfaceFinding();
                }
            });
            SurfaceCantCalibrationWindowController* made = controller.get();
            delegate.pollWindows().update([made](DispenserStatusPollWindows& windows) {
                windows.surfaceCantDispenserConnected = [made](bool connected) { made->setDispenserConnected(connected); };
            });
            *holder = std::move(controller);
        },
        .show = [holder] { (*holder)->showWindow(); },
        .close = [holder] {
            if (*holder) {
                (*holder)->closeWindow();
            }
        },
        .release = [holder] { holder->reset(); },
    });
    registration.windows.updateHooks([holder](ShellWindowHooks& hooks) {
        hooks.surfaceCant = [holder] { return *holder ? (*holder)->surfaceCant() : SurfaceCant{}; };
    });
}

} // namespace Dotfield
