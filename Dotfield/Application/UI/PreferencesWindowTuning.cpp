// The preferences window's motor calibration panes: filling, editing,
// sending, restoring and stamping the tuning values, and their lock. What the
// panes show comes from the robot model's description of its tuning values
// (TuningValuesModel).

#include <optional>

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include "Diagnostics/DiagnosticHooks.hpp"
#include "Dotfield/Application/Preferences/TuningValuesModel.hpp"
#include "Dotfield/Application/UI/PreferencesFieldNumbers.hpp"
#include "Dotfield/Application/UI/PreferencesWindowController.hpp"
#include "Dotfield/Instrument/HelperFunctions/PresentError.hpp"
#include "Dotfield/Robotics/AxisComponents.hpp"

namespace Dotfield {

namespace {

ErrorAlertContent confirmation(const char* title, const char* text) {
    return {.defaultButtonTitle = "OK",
            .alternateButtonTitle = "Cancel",
            .messageText = title,
            .informativeText = text,
            .style = AlertStyle::critical};
}

} // namespace

// ---- Tuning values ------------------------------------------------------------------------

void PreferencesWindowController::loadAllTuningValues() {
    const TuningValuesModel* values = tuning();
    if (!values) {
        return;
    }
    const auto descriptions = values->descriptions();
    const bool gains = values->pane() == TuningPane::gains;
    const std::vector<QLabel*>& captions = gains ? gainCaptions_ : backlashCaptions_;
    for (std::size_t row = 0; row < descriptions.size() && row < captions.size(); ++row) {
        captions[row]->setText(descriptions[row].caption);
    }
    for (const TuningField& field : gains ? tuningFields_ : backlashFields_) {
        if (field.row < descriptions.size()) {
            field.field->setText(wholeNumber(axisComponent(values->value(field.row), field.motor)));
        }
    }
}

void PreferencesWindowController::updateTuningParameter(const TuningField& edited) {
    TuningValuesModel* values = tuning();
    if (!values || edited.row >= values->descriptions().size()) {
        return;
    }
    const std::optional<double> value = finiteNumber(*edited.field);
    if (!value) {
        edited.field->setText(wholeNumber(axisComponent(values->value(edited.row), edited.motor)));
        return;
    }
    // Stored, not sent: gains reach the motors with Apply or a restore, the
    // backlash with the next move.
    values->setAxis(edited.row, edited.motor, *value);
}

void PreferencesWindowController::applyTuningParametersNow() {
    const TuningValuesModel* values = tuning();
    if (!values) {
        return;
    }
    // Behind the motion queued before it, without holding up the window.
    ++tuningSendsInFlight_;
    updateControls();
    values->send(errorHandler_, [window = QPointer(this)] {
        if (window) {
            window->tuningSendFinished();
        }
    });
}

void PreferencesWindowController::tuningSendFinished() {
    --tuningSendsInFlight_;
    updateControls();
}

void PreferencesWindowController::restoreFactoryDefaults() {
    if (const TuningValuesModel* values = tuning(); !values || !values->hasFactorySet()) {
        Diagnostics::printWithContext("The robot has no factory tuning values to restore");
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
    TuningValuesModel* values = tuning();
    if (!values || !values->hasFactorySet()) {
        return;
    }
    values->restoreFactorySet();
    loadAllTuningValues();
    applyTuningParametersNow();
}

void PreferencesWindowController::stampCurrentTuningValuesAsFactoryDefaults() {
    if (TuningValuesModel* values = tuning()) {
        values->stampFactorySet();
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
