// Plugs the rotational calibration into the shell: made at launch with the
// settings store, handed the robot and the error handler, shown from the
// Windows menu, and its angle offered to each new pattern.

#include <memory>

#include "Dotfield/Application/AppDelegate.hpp"
#include "Dotfield/Application/UI/Shell/OperatorWindowRegistration.hpp"
#include "Dotfield/Application/UI/Shell/WidgetWindowEntry.hpp"
#include "Dotfield/Calibration/UI/RotationalCalibrationWindowController.hpp"

namespace Dotfield {

void registerRotationalCalibrationWindow(OperatorWindowRegistration& registration) {
    auto holder = std::make_shared<std::unique_ptr<RotationalCalibrationWindowController>>();
    registration.windows.add(
        OperatorWindow::rotationalCalibration, widgetWindowEntry(holder, [holder](AppDelegate& delegate) {
            *holder = std::make_unique<RotationalCalibrationWindowController>(delegate.userDefaults());
            (*holder)->setErrorHandler(delegate.errorHandler());
            (*holder)->setRobot(delegate.robot());
        }));
    registration.windows.updateHooks([holder](ShellWindowHooks& hooks) {
        hooks.rotation = [holder] {
            return *holder ? (*holder)->points().rotation() : Zovudidova::degrees(0.0);
        };
    });
}

} // namespace Dotfield
