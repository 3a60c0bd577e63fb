// Plugs the solution wells window into the shell: made at launch with the
// settings store, handed the error handler, the robot and the electronics,
// shown from the Windows menu; new patterns take its wells, and printing
// changes the solution in the dispenser through it.

#include <memory>
#include <mutex>
#include <utility>

#include "Dotfield/Application/AppDelegate.hpp"
#include "Dotfield/Application/UI/Shell/OperatorWindowRegistration.hpp"
#include "Dotfield/Application/UI/Shell/WidgetWindowEntry.hpp"
#include "Dotfield/Printing/UI/SolutionWellsWindowController.hpp"

namespace Dotfield {

namespace {

// The window's model, for the hooks: the solution change is called on the
// robot's queue while the main thread makes or releases the window.
struct SharedModel {
    std::mutex mutex;
    std::weak_ptr<SolutionWellsWindowModel> model;

    std::shared_ptr<SolutionWellsWindowModel> get() {
        std::lock_guard lock(mutex);
        return model.lock();
    }
    void set(std::weak_ptr<SolutionWellsWindowModel> made) {
        std::lock_guard lock(mutex);
        model = std::move(made);
    }
};

} // namespace

void registerSolutionWellsWindow(OperatorWindowRegistration& registration) {
    auto holder = std::make_shared<std::unique_ptr<SolutionWellsWindowController>>();
    auto shared = std::make_shared<SharedModel>();
    OperatorWindowEntry entry = widgetWindowEntry(holder, [holder, shared](AppDelegate& delegate) {
        *holder = std::make_unique<SolutionWellsWindowController>(delegate.userDefaults());
        (*holder)->setErrorHandler(delegate.errorHandler());
        (*holder)->setRobot(delegate.robot());
        (*holder)->setElectronics(delegate.electronics());
        shared->set((*holder)->model());
    });
    entry.release = [holder, shared] {
        shared->set({});
        holder->reset();
    };
    registration.windows.add(OperatorWindow::solutionWells, std::move(entry));
    registration.windows.updateHooks([shared](ShellWindowHooks& hooks) {
        hooks.solutionWells = [shared] {
            const auto model = shared->get();
            return model ? model->solutionWells() : std::vector<SolutionWell>{};
        };
        hooks.changeSolutionInDispenser = [shared](const SolutionWell& well, bool reloading) {
            if (const auto model = shared->get()) {
                model->changeSolutionInDispenser(well, reloading);
            }
        };
    });
}

} // namespace Dotfield
