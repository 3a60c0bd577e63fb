// The menu side of AppDelegate: which window commands are enabled, the
// commands themselves, the window-closing operation and the support notice.

#include <array>
#include <string>

#include "Dotfield/Application/AppDelegate.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/HelperFunctions/PresentError.hpp"
#include "Dotfield/Robotics/Robot.hpp"

#ifndef DOTFIELD_VERSION
#define DOTFIELD_VERSION "0.0"
#endif

namespace Dotfield {

namespace {

// What a window command needs before its item is enabled.
enum Needs : unsigned {
    electronicsLink = 1U << 0U,
    robotLink = 1U << 1U,
    // The window came with its device (relay controls, humidity).
    windowExists = 1U << 2U,
};

struct WindowCommand {
    std::string_view action;
    OperatorWindow window;
    unsigned needs;
};

constexpr std::array<WindowCommand, 11> windowCommands{{
    {"showDispenserCalibration:", OperatorWindow::dispenserCalibration, electronicsLink},
    {"showSurfaceCantCalibration:", OperatorWindow::surfaceCantCalibration, electronicsLink | robotLink},
    {"showRotationalCalibration:", OperatorWindow::rotationalCalibration, robotLink},
    {"showDispenserControls:", OperatorWindow::dispenserControls, electronicsLink},
    {"showSolutionWells:", OperatorWindow::solutionWells, robotLink},
    {"showTopographyMap:", OperatorWindow::topographyMap, electronicsLink | robotLink},
    {"showDispenserDiagnostics:", OperatorWindow::dispenserDiagnostics, electronicsLink},
    {"showPreferences:", OperatorWindow::preferences, robotLink},
    {"showPerformanceTesting:", OperatorWindow::performanceTesting, robotLink},
    {"showRelayControls:", OperatorWindow::relayControls, windowExists},
    {"showHumidity:", OperatorWindow::humidity, windowExists},
}};

constexpr std::string_view showContactInfo = "showContactInfo:";

const WindowCommand* windowCommand(std::string_view action) {
    for (const auto& command : windowCommands) {
        if (command.action == action) {
            return &command;
        }
    }
    return nullptr;
}

// The windows the window-closing operation closes, in its order.
constexpr std::array<OperatorWindow, 11> closingOrder{OperatorWindow::dispenserCalibration,
                                                      OperatorWindow::dispenserDiagnostics,
                                                      OperatorWindow::camera,
                                                      OperatorWindow::solutionWells,
                                                      OperatorWindow::surfaceCantCalibration,
                                                      OperatorWindow::topographyMap,
                                                      OperatorWindow::dispenserControls,
                                                      OperatorWindow::rotationalCalibration,
                                                      OperatorWindow::preferences,
                                                      OperatorWindow::humidity,
                                                      OperatorWindow::relayControls};

} // namespace

bool AppDelegate::validateUserInterfaceItem(std::string_view action, std::string_view item) const {
    const auto* command = windowCommand(action);
    if (!command) {
        devices_.log("Validating selector: " + std::string(action) + " for item: " + std::string(item));
        return true;
    }
    if (!windows_->isRegistered(command->window)) {
        return false;
    }
    if ((command->needs & windowExists) != 0U && !windows_->exists(command->window)) {
        return false;
    }
    if ((command->needs & electronicsLink) != 0U) {
        const auto electronics = this->electronics();
        if (!electronics || !electronics->serialPort()) {
            return false;
        }
    }
    if ((command->needs & robotLink) != 0U) {
        const auto robot = this->robot();
        if (!robot || !robot->serialPort()) {
            return false;
        }
    }
    return true;
}

bool AppDelegate::performMenuCommand(std::string_view action) {
    if (action == showContactInfo) {
        presentError({.content = supportInformation(), .defaultAction = {}, .alternateAction = {}});
        return true;
    }
    const auto* command = windowCommand(action);
    if (!command) {
        return false;
    }
    // A shortcut may arrive before the menu caught up with a link that went.
    if (!validateUserInterfaceItem(action, "")) {
        devices_.log("Ignored while its item is disabled: " + std::string(action));
        return true;
    }
    windows_->show(command->window, *this);
    if (command->window == OperatorWindow::performanceTesting) {
        if (const auto start = windows_->hooks().startPerformanceTestingLoop) {
            start();
        }
    }
    return true;
}

void AppDelegate::closeOperatorWindows() {
    for (const auto window : closingOrder) {
        windows_->close(window);
    }
}

ErrorAlertContent AppDelegate::supportInformation() {
    return {.defaultButtonTitle = "OK",
            .alternateButtonTitle = std::nullopt,
            .messageText = "Support Information",
            .informativeText =
                std::string("Dotfield ") + DOTFIELD_VERSION +
                "\n\nHelp with the program: run \"dotfield --help\" for its options, and read the "
                "README that comes with it. For help with the instrument itself, turn to the "
                "supplier of your Dropwright.",
            .style = AlertStyle::informational};
}

} // namespace Dotfield
