// Plugs the automated motion test into the shell: made on first use from the
// menu with the robot and the error handler; the menu's command and the
// window's Start ask for the same confirmation, and shutdown stops a running test.

#include <memory>

#include "Dotfield/Application/AppDelegate.hpp"
#include "Dotfield/Application/UI/Shell/OperatorWindowRegistration.hpp"
#include "Dotfield/Application/UI/Shell/WidgetWindowEntry.hpp"
#include "Dotfield/Calibration/UI/AutomatedTestingWindowController.hpp"

namespace Dotfield {

void registerPerformanceTestingWindow(OperatorWindowRegistration& registration) {
    auto holder = std::make_shared<std::unique_ptr<AutomatedTestingWindowController>>();
    registration.windows.add(OperatorWindow::performanceTesting,
                             widgetWindowEntry(holder, [holder](AppDelegate& delegate) {
                                 *holder = std::make_unique<AutomatedTestingWindowController>();
                                 (*holder)->setRobot(delegate.robot());
                                 (*holder)->setErrorHandler(delegate.errorHandler());
                             }));
    registration.windows.updateHooks([holder](ShellWindowHooks& hooks) {
        hooks.startPerformanceTestingLoop = [holder] {
            if (*holder) {
                (*holder)->startPerformanceTestingLoop();
            }
        };
        hooks.cancelPerformanceTestingLoop = [holder] {
            if (*holder) {
                (*holder)->cancelPerformanceTestingLoop();
            }
        };
    });
}

} // namespace Dotfield
