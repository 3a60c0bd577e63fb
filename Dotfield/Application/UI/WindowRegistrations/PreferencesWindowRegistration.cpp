// Plugs the preferences window into the shell: made on first use from the
// menu with the robot, the error handler and the system's authorizer for the
// tuning values, and kept for the rest of the run.

#include <memory>

#include "Dotfield/Application/AppDelegate.hpp"
#include "Dotfield/Application/UI/Shell/OperatorWindowRegistration.hpp"
#include "Dotfield/Application/UI/PreferencesWindowController.hpp"
#include "Dotfield/Application/UI/Shell/WidgetWindowEntry.hpp"
#include "Dotfield/Platform/Qt/PolkitAuthorizer.hpp"

namespace Dotfield {

void registerPreferencesWindow(OperatorWindowRegistration& registration) {
    auto holder = std::make_shared<std::unique_ptr<PreferencesWindowController>>();
    registration.windows.add(OperatorWindow::preferences, widgetWindowEntry(holder, [holder](AppDelegate& delegate) {
                                 *holder = std::make_unique<PreferencesWindowController>(
                                     std::make_shared<PolkitAuthorizer>());
                                 (*holder)->setErrorHandler(delegate.errorHandler());
                                 (*holder)->setRobot(delegate.robot());
                                 (*holder)->observeRobotReadiness();
                             }));
}

} // namespace Dotfield
