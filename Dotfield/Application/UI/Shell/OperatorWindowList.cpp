// The one list of operator window registrations. To plug a window in, write
// its registration function in a file of its own in WindowRegistrations/, then
// declare and call it here, on the lines kept for it (a blank line between
// the windows keeps parallel additions from touching each other).

#include "Dotfield/Application/UI/Shell/OperatorWindowRegistration.hpp"

namespace Dotfield {

// Manual controls (the main window's centre)
void registerManualControlsWindow(OperatorWindowRegistration& registration);

// Camera
void registerCameraWindow(OperatorWindowRegistration& registration);

// Dispenser calibration
// void registerDispenserCalibrationWindow(OperatorWindowRegistration& registration);

// Dispenser diagnostics
void registerDispenserDiagnosticsWindow(OperatorWindowRegistration& registration);

// Solution wells
void registerSolutionWellsWindow(OperatorWindowRegistration& registration);

// Surface cant calibration
void registerSurfaceCantCalibrationWindow(OperatorWindowRegistration& registration);

// Topography map
void registerTopographyMapWindow(OperatorWindowRegistration& registration);

// Rotational calibration
void registerRotationalCalibrationWindow(OperatorWindowRegistration& registration);

// Relay controls
void registerRelayControlsWindow(OperatorWindowRegistration& registration);

// Humidity
void registerHumidityWindow(OperatorWindowRegistration& registration);

// Dispenser controls
void registerDispenserControlsWindow(OperatorWindowRegistration& registration);

// Preferences
void registerPreferencesWindow(OperatorWindowRegistration& registration);

// Performance testing
void registerPerformanceTestingWindow(OperatorWindowRegistration& registration);

// Pattern document controller
void registerPatternDocumentController(OperatorWindowRegistration& registration);

void registerOperatorWindows([[maybe_unused]] OperatorWindowRegistration& registration) {
    registerManualControlsWindow(registration);

    registerCameraWindow(registration);

    // registerDispenserCalibrationWindow(registration);

    registerDispenserDiagnosticsWindow(registration);

    registerSolutionWellsWindow(registration);

    registerSurfaceCantCalibrationWindow(registration);

    registerTopographyMapWindow(registration);

    registerRotationalCalibrationWindow(registration);

    registerRelayControlsWindow(registration);

    registerHumidityWindow(registration);

    registerDispenserControlsWindow(registration);

    registerPreferencesWindow(registration);

    registerPerformanceTestingWindow(registration);

    registerPatternDocumentController(registration);
}

} // namespace Dotfield
