// The relay controls, humidity and dispenser controls windows in the shell's
// window registry. The relay controls and the humidity window are made when
// their device has connected, the dispenser controls on first use.

#include <memory>

#include "Dotfield/Application/AppDelegate.hpp"
#include "Dotfield/Application/UI/DispenserControlsWindowController.hpp"
#include "Dotfield/Application/UI/HumidityWindowController.hpp"
#include "Dotfield/Application/UI/Shell/OperatorWindowRegistration.hpp"
#include "Dotfield/Application/UI/RelayControlsWindowController.hpp"
#include "Dotfield/Application/Windows/OperatorWindowRegistry.hpp"

namespace Dotfield {

namespace {

// Shows, closes and releases the controller held in `holder`.
template <typename Controller>
OperatorWindowEntry entryFor(std::shared_ptr<std::unique_ptr<Controller>> holder,
                             std::function<void(AppDelegate&)> make) {
    return {
        .make = std::move(make),
        .show = [holder] { (*holder)->showWindow(); },
        .close = [holder] {
            if (*holder && (*holder)->window()) {
                (*holder)->window()->close();
            }
        },
        .release = [holder] { holder->reset(); },
    };
}

} // namespace

void registerRelayControlsWindow(OperatorWindowRegistration& registration) {
    auto holder = std::make_shared<std::unique_ptr<RelayControlsWindowController>>();
    registration.windows.add(OperatorWindow::relayControls,
                             entryFor(holder, [holder](AppDelegate& delegate) {
                                 *holder = std::make_unique<RelayControlsWindowController>(delegate.userDefaults(),
                                                                                          delegate.relay());
                                 (*holder)->setErrorHandler(delegate.errorHandler());
                             }));
    // A new pattern takes the curing set here; without the window, none.
    registration.windows.updateHooks([holder](ShellWindowHooks& hooks) {
        hooks.uvCuringMode = [holder]() -> std::optional<UVCuringPatternMode> {
            return *holder ? (*holder)->uvCuringMode() : std::nullopt;
        };
    });
}

void registerHumidityWindow(OperatorWindowRegistration& registration) {
    auto holder = std::make_shared<std::unique_ptr<HumidityWindowController>>();
    registration.windows.add(OperatorWindow::humidity, entryFor(holder, [holder](AppDelegate& delegate) {
                                 *holder = std::make_unique<HumidityWindowController>(delegate.userDefaults());
                                 (*holder)->setHumidityLoop(delegate.humidityLoop());
                             }));
}

void registerDispenserControlsWindow(OperatorWindowRegistration& registration) {
    auto holder = std::make_shared<std::unique_ptr<DispenserControlsWindowController>>();
    registration.windows.add(OperatorWindow::dispenserControls, entryFor(holder, [holder](AppDelegate& delegate) {
                                 *holder =
                                     std::make_unique<DispenserControlsWindowController>(delegate.userDefaults());
                                 (*holder)->setElectronics(delegate.electronics());
                                 (*holder)->setErrorHandler(delegate.errorHandler());
                                 (*holder)->observeElectronicsDispenserSettings();
                             }));
}

} // namespace Dotfield
