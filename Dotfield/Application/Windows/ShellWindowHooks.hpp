#pragma once
// What the shell asks of particular operator windows beyond making, showing
// and closing them. Each window's registration fills its own slots
// (OperatorWindowRegistry::updateHooks); an empty slot means the window is
// not built yet and the shell does without it. Add a slot here when a window
// needs the shell to call it.

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "Dotfield/Printing/Modes/UVCuring.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWell.hpp"
#include "Dotfield/Robotics/SurfaceCant.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

class AppDelegate;
class Robot;
class SurfaceTopographyMap;

struct ShellWindowHooks {
    // ---- Manual controls (the main window's centre) ------------------------------

    // Main thread: set its robot and register its observers with it (once per robot).
    std::function<void(const std::shared_ptr<Robot>&)> handRobotToManualControls;
    // Main thread, after the hardware came up: its electronics, its
    // setDispenserConnected: when statistics exist, its recalibration operation.
    std::function<void(AppDelegate&)> handElectronicsToManualControls;
    // Main thread: home the robot when it needs homing (after the positioner
    // errors were cleared by a recovery).
    std::function<void()> homeIfNeeded;

    // ---- Pattern documents -------------------------------------------------------

    // Main thread, at launch: wire the document controller to the delegate.
    std::function<void(AppDelegate&)> wireDocumentController;
    // Main thread: the File menu's "Open…".
    std::function<void()> openDocument;
    // Main thread, after the launch: open a file named on the command line.
    std::function<void(const std::filesystem::path&)> openDocumentFile;
    // Main thread, at shutdown: cancel the print of every document.
    std::function<void()> cancelEveryPrint;

    // ---- The pattern-parameter hand-over (main thread) ---------------------------

    std::function<std::shared_ptr<const SurfaceTopographyMap>()> topographyMap;
    std::function<SurfaceCant()> surfaceCant;
    std::function<std::vector<SolutionWell>()> solutionWells;
    // The angle of the rotational calibration's two points (0 degrees without both).
    std::function<Zovudidova::Angle()> rotation;
    // The relay controls' curing setting (none: no curing).
    std::function<std::optional<UVCuringPatternMode>()> uvCuringMode;

    // ---- Solution wells ----------------------------------------------------------

    // The robot's queue, inside a print: puts the well's solution into the
    // dispenser (false: a layer starts; true: a reload). Throws the device's
    // error. The document controller's solution change calls it.
    std::function<void(const SolutionWell&, bool)> changeSolutionInDispenser;

    // ---- Performance testing (main thread) ---------------------------------------

    // Asks for the test's confirmation and runs the test when the operator agrees.
    std::function<void()> startPerformanceTestingLoop;
    // At shutdown: ask a running test to stop.
    std::function<void()> cancelPerformanceTestingLoop;

    // ---- Camera (main thread, at shutdown) ----------------------------------------

    // Finish a recording under way (bounded).
    std::function<void()> finishRecording;
};

} // namespace Dotfield
