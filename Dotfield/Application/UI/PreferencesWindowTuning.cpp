// The preferences window's motor calibration panes: filling, editing,
// sending, restoring and stamping the tuning values, and their lock.

#include <array>
#include <optional>
#include <string>

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include "Dotfield/Application/UI/PreferencesFieldNumbers.hpp"
#include "Dotfield/Application/UI/PreferencesWindowController.hpp"
#include "Dotfield/Instrument/HelperFunctions/PresentError.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Robotics/Models/DropwrightDesktop.hpp"
#include "Dotfield/Robotics/Models/DropwrightIIa.hpp"
#include "Dotfield/Robotics/Models/DropwrightProto.hpp"
#include "Dotfield/Robotics/TuningValues.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

constexpr const std::array<MotorPosition, 3>& axes = xyzMotors;

// The Proto's captions of the last three rows, which hold its cascading gains.
constexpr std::array<const char*, 3> protoCascadingCaptions{
    "Proportional gain (cascading):", "Integral gain (cascading):", "Derivative gain (cascading):"};

constexpr const char* backlashCorrectionKey = "backlashCorrection";

ErrorAlertContent confirmation(const char* title, const char* text) {
    return {.defaultButtonTitle = "OK",
            .alternateButtonTitle = "Cancel",
            .messageText = title,
            .informativeText = text,
            .style = AlertStyle::critical};
}

void logLine(const std::string& message) {
    Diagnostics::printWithContext(message);
}

} // namespace

// ---- Tuning values ------------------------------------------------------------------------

TuningValues* PreferencesWindowController::modelTuningValues() const {
    if (auto* proto = dynamic_cast<DropwrightProto*>(robot_.get())) {
        return &proto->tuningValues();
    }
    if (auto* generationII = dynamic_cast<DropwrightIIa*>(robot_.get())) {
        return &generationII->tuningValues();
    }
    return nullptr;
}

void PreferencesWindowController::loadAllTuningValues() {
    if (auto* desktop = dynamic_cast<DropwrightDesktop*>(robot_.get())) {
        const AxisValues backlash = desktop->backlashCorrection();
        for (std::size_t axis = 0; axis < axes.size(); ++axis) {
            backlashFields_[axis]->setText(wholeNumber(axisComponent(backlash, axes[axis])));
        }
        return;
    }
    TuningValues* tuning = modelTuningValues();
    if (!tuning) {
        return;
    }
    if (dynamic_cast<DropwrightProto*>(robot_.get())) {
        integralLimitTextLabel_->setText(protoCascadingCaptions[0]);
        velocityFeedforwardTextLabel_->setText(protoCascadingCaptions[1]);
        accelerationFeedforwardTextLabel_->setText(protoCascadingCaptions[2]);
    }
    const std::array<AxisValues, TuningValues::count> values = tuning->values();
    for (const TuningField& field : tuningFields_) {
        field.field->setText(wholeNumber(axisComponent(values[field.row], field.motor)));
    }
}

void PreferencesWindowController::updateTuningParameter(const TuningField& tuning) {
    TuningValues* values = modelTuningValues();
    if (!values) {
        return;
    }
    const std::optional<double> value = finiteNumber(*tuning.field);
    if (!value) {
        tuning.field->setText(wholeNumber(axisComponent(values->value(tuning.row), tuning.motor)));
        return;
    }
    // Stored, not sent: the motors take it with Apply or a restore.
    const AxisValues triple = values->setAxis(tuning.row, tuning.motor, *value);
    robot_->userDefaults()->setAxisValues(triple, values->keys()[tuning.row].userDefinedKey, false);
}

void PreferencesWindowController::updateBacklash(QLineEdit* field, MotorPosition motor) {
    auto* desktop = dynamic_cast<DropwrightDesktop*>(robot_.get());
    if (!desktop) {
        return;
    }
    const std::optional<double> value = finiteNumber(*field);
    if (!value) {
        field->setText(wholeNumber(axisComponent(desktop->backlashCorrection(), motor)));
        return;
    }
    const AxisValues triple = replacingAxisComponent(desktop->backlashCorrection(), motor, *value);
    desktop->setBacklashCorrection(triple);
    desktop->userDefaults()->setAxisValues(triple, backlashCorrectionKey, true);
}

void PreferencesWindowController::applyTuningParametersNow() {
    if (!robot_) {
        return;
    }
    // Behind the motion queued before it, without holding up the window.
    ++tuningSendsInFlight_;
    updateControls();
    robot_->runOnRoboticsQueue([robot = robot_, handler = errorHandler_, window = QPointer(this)] {
        try {
            robot->updateMotorTuningParameters();
        } catch (...) {
            reportFailure(handler, std::current_exception());
        }
        MainQueue::main().async([window] {
            if (window) {
                window->tuningSendFinished();
            }
        });
    });
}

void PreferencesWindowController::tuningSendFinished() {
    --tuningSendsInFlight_;
    updateControls();
}

void PreferencesWindowController::restoreFactoryDefaults() {
    if (!modelTuningValues()) {
        logLine("The robot has no factory tuning values to restore");
        return;
    }
    const Qt::KeyboardModifiers stampModifiers = Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier;
    if ((QGuiApplication::keyboardModifiers() & stampModifiers) == stampModifiers) {
        presentError(
            {.content = confirmation("Stamping factory defaults.",
                                     "This will overwrite the factory defaults. This action cannot be "
                                     "undone. Are you sure you want to do this?"),
             .defaultAction = [this] { stampCurrentTuningValuesAsFactoryDefaults(); },
             .alternateAction = {}});
    } else {
        presentError(
            {.content = confirmation("Restoring factory defaults.",
                                     "This will restore all tuning values to factory defaults. Are you "
                                     "sure you want to roll back to default tuning parameters?"),
             .defaultAction = [this] { restoreFactoryDefaultTuningValues(); },
             .alternateAction = {}});
    }
}

void PreferencesWindowController::restoreFactoryDefaultTuningValues() {
    TuningValues* values = modelTuningValues();
    if (!values) {
        return;
    }
    const UserDefaults& store = *robot_->userDefaults();
    for (std::size_t row = 0; row < TuningValues::count; ++row) {
        const TuningValueKeys& keys = values->keys()[row];
        const AxisValues factory = store.axisValues(keys.factoryKey, true).value_or(keys.builtIn);
        values->setValue(row, factory);
        robot_->userDefaults()->setAxisValues(factory, keys.userDefinedKey, false);
    }
    loadAllTuningValues();
    applyTuningParametersNow();
}

void PreferencesWindowController::stampCurrentTuningValuesAsFactoryDefaults() {
    TuningValues* values = modelTuningValues();
    if (!values) {
        return;
    }
    const std::array<AxisValues, TuningValues::count> current = values->values();
    for (std::size_t row = 0; row < TuningValues::count; ++row) {
        robot_->userDefaults()->setAxisValues(current[row], values->keys()[row].factoryKey, true);
    }
}

// ---- The lock -----------------------------------------------------------------------------

void PreferencesWindowController::unlockPanel() {
    if (userAuthenticated()) {
        unlockButton_->setText("Unlock");
        setUserAuthenticated(false);
        return;
    }
    if (authorizationPending_ || !authorizer_) {
        return;
    }
    authorizationPending_ = true;
    updateControls();
    authorizer_->requestAuthorization([window = QPointer(this)](bool granted) {
        if (!window) {
            return;
        }
        window->authorizationPending_ = false;
        if (granted) {
            window->unlockButton_->setText("Lock");
            window->setUserAuthenticated(true);
        }
        window->updateControls();
    });
}

} // namespace Dotfield
