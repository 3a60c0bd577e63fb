#pragma once
// How the operator windows plug into the shell, without the shell (or the
// application delegate) knowing their classes or Qt.
//
// Every operator window has one entry: how it is made, shown and closed. The
// delegate makes each window at its step of the launch (or on first use from
// the menu, or when its device connected: relay controls and humidity), once;
// a window without an entry is "not built yet": its step keeps its console
// line and its menu item stays disabled. What a window answers beyond that
// (handing the robot to the manual controls, the pattern
// parameters, stopping work at shutdown, ...) are the slots of
// ShellWindowHooks; an empty slot is skipped. The status poll's slots are the
// delegate's pollWindows() (DispenserStatusPollWindows.hpp).
//
// Plugging a window in takes a registration function in a file of its own,
// beside the window (it may use Qt), and uncommenting its two lines (the
// declaration and the call) in Dotfield/Application/UI/Shell/OperatorWindowList.cpp:
//
//   void registerCameraWindow(OperatorWindowRegistration& registration) {
//       auto holder = std::make_shared<std::unique_ptr<CameraWindowController>>();
//       registration.windows.add(OperatorWindow::camera, {
//           .make = [holder](AppDelegate& delegate) {
//               *holder = std::make_unique<CameraWindowController>(delegate.userDefaults());
//               (*holder)->setErrorHandler(delegate.errorHandler());
//           },
//           .show = [holder] { (*holder)->showWindow(); },
//           .close = [holder] { (*holder)->close(); },
//       });
//       registration.windows.updateHooks([holder](ShellWindowHooks& hooks) {
//           hooks.finishRecording = [holder] { if (*holder) (*holder)->finishRecording(); };
//       });
//   }
//
// The manual controls are the main window's centre: their `make` installs
// them with registration.mainWindow.setCentralWidget(...), their `show` shows
// the main window. A menu item's window must have an entry to be enabled;
// the menu shows it with `show` (making it first when needed).
//
// `make` receives the delegate: read what the window is handed from it
// (electronics(), robot(), relay(), humidityLoop(), errorHandler(),
// userDefaults(), pollWindows() for the status poll's slots,
// recalibrationOperationForSurfaceFinding() ...). Capture the delegate in
// nothing that outlives the call except weakly (weak_from_this()).
//
// Threads: entries are added before the launch, on the main thread; make,
// show, close and drop run on the main thread. The hooks may be read on any
// thread (each slot says where it is called). At the end of the run the
// program calls clear() on the main thread, which releases every window.

#include <array>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string_view>

#include "Dotfield/Application/Windows/ShellWindowHooks.hpp"

namespace Dotfield {

class AppDelegate;

enum class OperatorWindow : std::size_t {
    // Made at launch.
    manualControls,
    camera,
    dispenserCalibration,
    dispenserDiagnostics,
    solutionWells,
    surfaceCantCalibration,
    topographyMap,
    rotationalCalibration,
    // Made when their device connected.
    relayControls,
    humidity,
    // Made on first use from the menu.
    dispenserControls,
    preferences,
    performanceTesting,
    count
};

// The window controller's class name ("ManualControlsWindowController", ...).
std::string_view windowControllerName(OperatorWindow window);

struct OperatorWindowEntry {
    // Makes the window controller and hands it its collaborators. Called once
    // (again only after drop()).
    std::function<void(AppDelegate&)> make;
    // Brings its window to the front.
    std::function<void()> show;
    // Closes its window; the controller stays.
    std::function<void()> close;
    // Releases the controller (after close); optional.
    std::function<void()> release = nullptr;
};

class OperatorWindowRegistry {
  public:
    // ---- Registration (before the launch) ----------------------------------------

    void add(OperatorWindow window, OperatorWindowEntry entry);
    template <typename Change> void updateHooks(Change&& change) {
        std::lock_guard lock(hooksMutex_);
        change(hooks_);
    }

    // ---- The shell (main thread unless said) -------------------------------------------

    // Any thread.
    bool isRegistered(OperatorWindow window) const;
    // Made and not dropped.
    bool exists(OperatorWindow window) const;
    // Makes the window unless it exists; answers whether it exists now.
    bool make(OperatorWindow window, AppDelegate& delegate);
    // Makes it if needed, then shows it; answers whether it was shown.
    bool show(OperatorWindow window, AppDelegate& delegate);
    // Closes its window when it exists.
    void close(OperatorWindow window);
    // Closes its window and releases its controller: it no longer exists.
    void drop(OperatorWindow window);
    // A copy of the hooks. Any thread.
    ShellWindowHooks hooks() const;
    // Called after a window was made or dropped (the menus follow it).
    void setWindowsChangedObserver(std::function<void()> observer);
    // Releases every window and hook, at the end of the run.
    void clear();

  private:
    struct Slot {
        OperatorWindowEntry entry;
        bool registered = false;
        bool exists = false;
    };
    Slot& slot(OperatorWindow window) { return slots_[static_cast<std::size_t>(window)]; }
    const Slot& slot(OperatorWindow window) const { return slots_[static_cast<std::size_t>(window)]; }
    void windowsChanged() const;

    std::array<Slot, static_cast<std::size_t>(OperatorWindow::count)> slots_;
    std::function<void()> windowsChangedObserver_;
    mutable std::mutex hooksMutex_;
    ShellWindowHooks hooks_;
};

} // namespace Dotfield
