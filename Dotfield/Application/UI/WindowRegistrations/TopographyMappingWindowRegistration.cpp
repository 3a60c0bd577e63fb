// Plugs the topography mapping window into the shell: made at launch with the
// settings store, handed the robot, the electronics, the error handler and
// the recalibration before surface finding, and its map offered to each new
// pattern while correction is on.

#include <memory>

#include "Dotfield/Application/AppDelegate.hpp"
#include "Dotfield/Application/UI/Shell/OperatorWindowRegistration.hpp"
#include "Dotfield/Application/UI/Shell/WidgetWindowEntry.hpp"
#include "Dotfield/Calibration/UI/TopographyMappingWindowController.hpp"

namespace Dotfield {

void registerTopographyMapWindow(OperatorWindowRegistration& registration) {
    auto holder = std::make_shared<std::unique_ptr<TopographyMappingWindowController>>();
    registration.windows.add(
        OperatorWindow::topographyMap, widgetWindowEntry(holder, [holder](AppDelegate& delegate) {
            *holder = std::make_unique<TopographyMappingWindowController>(delegate.userDefaults());
            (*holder)->setRobot(delegate.robot());
            (*holder)->setElectronics(delegate.electronics());
            (*holder)->setErrorHandler(delegate.errorHandler());
            (*holder)->setRecalibrationOperationForSurfaceFinding([weak = delegate.weak_from_this()] {
                if (const auto self = weak.lock()) {
                    self->recalibrationOperationForSurfaceFinding();
                }
            });
        }));
    registration.windows.updateHooks([holder](ShellWindowHooks& hooks) {
        hooks.topographyMap = [holder]() -> std::shared_ptr<const SurfaceTopographyMap> {
            return *holder ? (*holder)->topographyMapForPrinting() : nullptr;
        };
    });
}

} // namespace Dotfield
