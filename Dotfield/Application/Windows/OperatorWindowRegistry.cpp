#include "Dotfield/Application/Windows/OperatorWindowRegistry.hpp"

#include <utility>

#include "Diagnostics/ProgramStop.hpp"

namespace Dotfield {

std::string_view windowControllerName(OperatorWindow window) {
    switch (window) {
    case OperatorWindow::manualControls:
        return "ManualControlsWindowController";
    case OperatorWindow::camera:
        return "CameraWindowController";
    case OperatorWindow::dispenserCalibration:
        return "DispenserCalibrationController";
    case OperatorWindow::dispenserDiagnostics:
        return "DispenserDiagnosticsController";
    case OperatorWindow::solutionWells:
        return "SolutionWellsWindowController";
    case OperatorWindow::surfaceCantCalibration:
        return "SurfaceCantCalibrationWindowController";
    case OperatorWindow::topographyMap:
        return "TopographyMappingWindowController";
    case OperatorWindow::rotationalCalibration:
        return "RotationalCalibrationWindowController";
    case OperatorWindow::relayControls:
        return "RelayControlsWindowController";
    case OperatorWindow::humidity:
        return "HumidityWindowController";
    case OperatorWindow::dispenserControls:
        return "DispenserControlsWindowController";
    case OperatorWindow::preferences:
        return "PreferencesWindowController";
    case OperatorWindow::performanceTesting:
        return "AutomatedTestingWindowController";
    case OperatorWindow::count:
        break;
    }
    Diagnostics::stopProgram("Index out of bounds");
}

void OperatorWindowRegistry::add(OperatorWindow window, OperatorWindowEntry entry) {
    if (!entry.make || !entry.show || !entry.close) {
        Diagnostics::stopProgram("An operator window needs make, show and close");
    }
    auto& s = slot(window);
    s.entry = std::move(entry);
    s.registered = true;
    s.exists = false;
}

bool OperatorWindowRegistry::isRegistered(OperatorWindow window) const {
    return slot(window).registered;
}

bool OperatorWindowRegistry::exists(OperatorWindow window) const {
    return slot(window).exists;
}

bool OperatorWindowRegistry::make(OperatorWindow window, AppDelegate& delegate) {
    auto& s = slot(window);
    if (!s.registered) {
        return false;
    }
    if (!s.exists) {
        s.entry.make(delegate);
        s.exists = true;
        windowsChanged();
    }
    return true;
}

bool OperatorWindowRegistry::show(OperatorWindow window, AppDelegate& delegate) {
    if (!make(window, delegate)) {
        return false;
    }
    slot(window).entry.show();
    return true;
}

void OperatorWindowRegistry::close(OperatorWindow window) {
    if (const auto& s = slot(window); s.exists) {
        s.entry.close();
    }
}

void OperatorWindowRegistry::drop(OperatorWindow window) {
    auto& s = slot(window);
    if (!s.exists) {
        return;
    }
    s.entry.close();
    if (s.entry.release) {
        s.entry.release();
    }
    s.exists = false;
    windowsChanged();
}

ShellWindowHooks OperatorWindowRegistry::hooks() const {
    std::lock_guard lock(hooksMutex_);
    return hooks_;
}

void OperatorWindowRegistry::setWindowsChangedObserver(std::function<void()> observer) {
    windowsChangedObserver_ = std::move(observer);
}

void OperatorWindowRegistry::windowsChanged() const {
    if (windowsChangedObserver_) {
        windowsChangedObserver_();
    }
}

void OperatorWindowRegistry::clear() {
    {
        std::lock_guard lock(hooksMutex_);
        hooks_ = {};
    }
    windowsChangedObserver_ = nullptr;
    for (auto& s : slots_) {
        if (s.exists && s.entry.release) {
            s.entry.release();
        }
        s = {};
    }
}

} // namespace Dotfield
