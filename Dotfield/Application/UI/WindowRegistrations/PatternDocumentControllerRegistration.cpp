// Plugs the pattern documents into the shell. At launch the document
// controller is made over the settings store and wired to the delegate: the
// robot, the electronics, the error handler, the dispenser recalibration
// while printing, the solution wells window's loading of a well, and the
// pattern-parameter hand-over run before every new document. File > Open…,
// Open Recent and the files named on the command line open through it; at
// shutdown every running print is told to stop.

#include <memory>
#include <stdexcept>

#include <QMenu>

#include "Dotfield/Application/AppDelegate.hpp"
#include "Dotfield/Application/UI/Shell/MainWindow.hpp"
#include "Dotfield/Application/UI/Shell/OperatorWindowRegistration.hpp"
#include "Dotfield/Application/Windows/OperatorWindowRegistry.hpp"
#include "Dotfield/Printing/Document/PatternDocumentController.hpp"
#include "Dotfield/Printing/UI/PatternDocumentWindows.hpp"

namespace Dotfield {

namespace {

using DocumentWindowsHolder = std::shared_ptr<std::unique_ptr<PatternDocumentWindows>>;

void wireDocumentController(PatternDocumentController& controller, AppDelegate& delegate) {
    controller.errorHandler = delegate.errorHandler();
    controller.robot = delegate.robot();
    controller.electronics = delegate.electronics();
    std::weak_ptr<AppDelegate> weak = delegate.weak_from_this();
    controller.recalibrationOperation = [weak] {
        if (const auto self = weak.lock()) {
            self->recalibrationOperationForSurfaceFindingDuringPatternPrinting();
        }
    };
    controller.solutionChangedInDispenserOperation = [weak](const SolutionWell& well, bool reloading) {
        const auto self = weak.lock();
        const auto change = self ? self->windows().hooks().changeSolutionInDispenser : nullptr;
        if (!change) {
            throw std::runtime_error("The solution wells window is not there to load the well \u201C" + well.name +
                                     "\u201D");
        }
        change(well, reloading);
    };
    controller.updateParametersOnNewPattern = [weak, &controller] {
        const auto self = weak.lock();
        if (!self) {
            return;
        }
        PatternParameters parameters = self->updateParametersOnNewPattern();
        // Printing only reads the map.
        controller.topographyMap = std::const_pointer_cast<SurfaceTopographyMap>(parameters.topographyMap);
        controller.surfaceCant = parameters.surfaceCant;
        controller.solutionWells = std::move(parameters.solutionWells);
        controller.rotation = parameters.rotation;
        controller.uvCuringMode = std::move(parameters.uvCuringMode);
    };
}

} // namespace

void registerPatternDocumentController(OperatorWindowRegistration& registration) {
    auto holder = std::make_shared<std::unique_ptr<PatternDocumentWindows>>();
    QMenu* openRecent = &registration.openRecentMenu;
    MainWindow* mainWindow = &registration.mainWindow;
    QObject::connect(openRecent, &QMenu::aboutToShow, openRecent, [holder, openRecent] {
        if (*holder) {
            (*holder)->fillOpenRecentMenu(*openRecent);
        }
    });
    registration.windows.updateHooks([holder, openRecent, mainWindow](ShellWindowHooks& hooks) {
        hooks.wireDocumentController = [holder, openRecent](AppDelegate& delegate) {
            if (*holder) {
                return;
            }
            auto controller = std::make_shared<PatternDocumentController>(delegate.userDefaults());
            wireDocumentController(*controller, delegate);
            *holder = std::make_unique<PatternDocumentWindows>(std::move(controller));
            (*holder)->fillOpenRecentMenu(*openRecent);
        };
        hooks.openDocument = [holder, mainWindow] {
            if (*holder) {
                (*holder)->openDocumentWithDialog(mainWindow);
            }
        };
        hooks.openDocumentFile = [holder](const std::filesystem::path& file) {
            if (*holder) {
                (*holder)->openDocument(file);
            }
        };
        hooks.cancelEveryPrint = [holder] {
            if (*holder) {
                for (const auto& document : (*holder)->controller().documents()) {
                    document->setPrintingCancelled(true);
                }
            }
        };
    });
}

} // namespace Dotfield
