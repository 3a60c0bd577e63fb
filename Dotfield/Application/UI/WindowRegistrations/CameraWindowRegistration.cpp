// Plugs the camera window into the shell: made and shown at launch right
// after the manual controls, showing the cameras of the supervisor's set-up,
// closed with the other windows (which finishes a running recording), and at
// the end of the run a recording finished (bounded) and the window let go of
// the camera, which the supervisor then releases.

#include <memory>

#include "Dotfield/Application/AppDelegate.hpp"
#include "Dotfield/Application/UI/Shell/OperatorWindowRegistration.hpp"
#include "Dotfield/Application/Windows/OperatorWindowRegistry.hpp"
#include "Dotfield/Camera/UI/CameraWindowController.hpp"

namespace Dotfield {

void registerCameraWindow(OperatorWindowRegistration& registration) {
    auto holder = std::make_shared<std::unique_ptr<CameraWindowController>>();
    registration.windows.add(OperatorWindow::camera, {
        .make = [holder](AppDelegate& delegate) {
            CameraWindowEnvironment environment;
            environment.userDefaults = delegate.userDefaults();
            // The window shows the cameras the device supervisor sets up.
            environment.setUp = delegate.devices().cameraSetUp();
            *holder = std::make_unique<CameraWindowController>(std::move(environment));
        },
        .show = [holder] {
            (*holder)->show();
            (*holder)->raise();
        },
        .close = [holder] {
            if (*holder) {
                (*holder)->close();
            }
        },
        .release = [holder] { holder->reset(); },
    });
    registration.windows.updateHooks([holder](ShellWindowHooks& hooks) {
        hooks.finishRecording = [holder] {
            if (*holder) {
                (*holder)->shutDown();
            }
        };
    });
}

} // namespace Dotfield
