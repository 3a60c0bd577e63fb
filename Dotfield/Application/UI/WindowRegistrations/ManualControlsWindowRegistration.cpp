// Plugs the manual controls into the shell: made at launch as the main
// window's centre, handed the robot, the electronics and the dispenser's
// state, and homing the robot for the recovery alerts.

#include <memory>

#include <QPointer>

#include "Dotfield/Application/AppDelegate.hpp"
#include "Dotfield/Application/UI/Shell/MainWindow.hpp"
#include "Dotfield/Application/UI/ManualControlsWindowController.hpp"
#include "Dotfield/Application/UI/Shell/OperatorWindowRegistration.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"

namespace Dotfield {

void registerManualControlsWindow(OperatorWindowRegistration& registration) {
    // The main window owns the controller once it is its centre.
    auto controller = std::make_shared<QPointer<ManualControlsWindowController>>();
    MainWindow* mainWindow = &registration.mainWindow;
    registration.windows.add(OperatorWindow::manualControls, {
        .make = [controller, mainWindow](AppDelegate& delegate) {
            auto* made = new ManualControlsWindowController(delegate.userDefaults());
            made->setErrorHandler(delegate.errorHandler());
            mainWindow->setCentralWidget(made);
            *controller = made;
            delegate.pollWindows().update([made](DispenserStatusPollWindows& windows) {
                windows.manualControlsDispenserConnected = [made](bool connected) {
                    made->setDispenserConnected(connected);
                };
            });
        },
        .show = [mainWindow] { mainWindow->show(); },
        .close = [mainWindow] { mainWindow->close(); },
    });
    registration.windows.updateHooks([controller](ShellWindowHooks& hooks) {
        hooks.handRobotToManualControls = [controller](const std::shared_ptr<Robot>& robot) {
            if (*controller) {
                (*controller)->setRobot(robot);
                (*controller)->registerRobotCallbacks();
            }
        };
        hooks.handElectronicsToManualControls = [controller](AppDelegate& delegate) {
            ManualControlsWindowController* made = *controller;
            if (!made) {
                return;
            }
            made->setErrorHandler(delegate.errorHandler());
            const std::shared_ptr<Electronics> electronics = delegate.electronics();
            made->setElectronics(electronics);
            std::weak_ptr<AppDelegate> weak = delegate.weak_from_this();
            made->setRecalibrationOperationForSurfaceFinding([weak] {
                if (const auto self = weak.lock()) {
                    self->recalibrationOperationForSurfaceFinding();
                }
            });
            made->setDispenserConnected(electronics && electronics->dispenserStatistics().has_value());
        };
        hooks.homeIfNeeded = [controller] {
            if (*controller) {
                (*controller)->homeIfNeeded();
            }
        };
    });
}

} // namespace Dotfield
