// Plugs the dispenser diagnostics into the shell: made at launch, handed the
// electronics, and given every status reading the poll takes: with the
// statistics the reading updated, or with the electronics' current statistics
// (none while the dispenser is not calibrated).

#include <memory>

#include "Dotfield/Application/AppDelegate.hpp"
#include "Dotfield/Application/UI/Shell/OperatorWindowRegistration.hpp"
#include "Dotfield/Application/UI/Shell/WidgetWindowEntry.hpp"
#include "Dotfield/Calibration/UI/DispenserDiagnosticsController.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"

namespace Dotfield {

void registerDispenserDiagnosticsWindow(OperatorWindowRegistration& registration) {
    auto holder = std::make_shared<std::unique_ptr<DispenserDiagnosticsController>>();
    registration.windows.add(
        OperatorWindow::dispenserDiagnostics, widgetWindowEntry(holder, [holder](AppDelegate& delegate) {
            auto controller = std::make_unique<DispenserDiagnosticsController>();
            const auto electronics = delegate.electronics();
            controller->setElectronics(electronics);
            // The poll reaches the feed, never the window itself.
            const std::shared_ptr<DispenserDiagnosticsFeed> feed = controller->feed();
            if (electronics) {
                electronics->setSensorSignalUpdateObserver(
                    [feed](const DispenserStatusReading& readings, const DispenserStatistics& statistics) {
                        feed->updateWithNewReadings(readings, statistics);
                    });
            }
            delegate.pollWindows().update(
                [feed, weak = std::weak_ptr(electronics)](DispenserStatusPollWindows& windows) {
                    windows.updateWithNewReadings = [feed, weak](const DispenserStatusPoints&,
                                                                 const DispenserStatusReading& readings) {
                        const auto present = weak.lock();
                        feed->updateWithNewReadings(readings,
                                                    present ? present->dispenserStatistics() : std::nullopt);
                    };
                });
            *holder = std::move(controller);
        }));
}

} // namespace Dotfield
