#include "Dotfield/Application/UI/DispenserControlsWindowController.hpp"

#include <any>
#include <utility>

#include <QApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include "Dotfield/Platform/Qt/Widgets/DeviceWindowNumbers.hpp"
#include "Dotfield/Instrument/Electronics/DispenserNotifications.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Platform/MainQueue.hpp"

namespace Dotfield {

namespace {

constexpr int advancedPanelInset = 20;

const char* const dispenseTitle = "Manually dispense";
const char* const sprayTitle = "Manually spray";
const char* const cancelTitle = "Cancel";

} // namespace

DispenserControlsWindowController::DispenserControlsWindowController(
    std::shared_ptr<UserDefaults> userDefaults, std::unique_ptr<ManualDispenserOperation> operation, QObject* parent)
    : DeviceWindowController(parent), settings_(std::move(userDefaults)),
      operation_(operation ? std::move(operation) : std::make_unique<ManualDispenserOperation>()) {}

DispenserControlsWindowController::~DispenserControlsWindowController() {
    deleteWindow();
    if (electronics_ && resonantFrequencyObserverInstalled_) {
        electronics_->setResonantFrequencyObserver(nullptr);
    }
    for (const auto token : notificationTokens_) {
        NotificationCenter::defaultCenter().removeObserver(token);
    }
    delete advancedOptionsView_.data();
}

void DispenserControlsWindowController::setElectronics(std::shared_ptr<Electronics> electronics) {
    electronics_ = std::move(electronics);
}

void DispenserControlsWindowController::setErrorHandler(ErrorHandler errorHandler) {
    errorHandler_ = std::move(errorHandler);
}

void DispenserControlsWindowController::observeElectronicsDispenserSettings() {
    settings_.copyFromElectronics(electronics_);
    showValues();
    if (!electronics_) {
        return;
    }
    electronics_->setResonantFrequencyObserver(
        [window = QPointer<DispenserControlsWindowController>(this)](const Zovudidova::Frequency& frequency) {
            const double kilohertz = frequency.value(Zovudidova::FrequencyUnit::kilohertz);
            const auto take = [window, kilohertz] {
                if (window) {
                    window->takeResonantFrequency(kilohertz);
                }
            };
            if (MainQueue::main().isCurrent()) {
                take();
            } else {
                MainQueue::main().async(take);
            }
        });
    resonantFrequencyObserverInstalled_ = true;
}

void DispenserControlsWindowController::takeResonantFrequency(double kilohertz) {
    settings_.setDispensingFrequency(kilohertz);
    settings_.setSprayingFrequency(kilohertz);
    showValues();
}

void DispenserControlsWindowController::dispense() {
    runDispenserOperation(ManualDispenserOperation::Kind::dispense);
}

void DispenserControlsWindowController::spray() {
    runDispenserOperation(ManualDispenserOperation::Kind::spray);
}

void DispenserControlsWindowController::runDispenserOperation(ManualDispenserOperation::Kind kind) {
    // A value still being typed counts: ending the edit commits it.
    if (QWidget* focus = QApplication::focusWidget(); focus && isWindowLoaded() && window()->isAncestorOf(focus)) {
        focus->clearFocus();
    }
    if (!electronics_) {
        return;
    }
    const bool dispensing = kind == ManualDispenserOperation::Kind::dispense;
    const ManualDispenserOperation::Drive drive =
        dispensing ? ManualDispenserOperation::Drive{settings_.dispensingDuration(),
                                                     settings_.dispensingFrequency(), settings_.dispensingVoltage()}
                   : ManualDispenserOperation::Drive{settings_.sprayingDuration(), settings_.sprayingFrequency(),
                                                     settings_.sprayingVoltage()};
    const bool started = operation_->startOrCancel(
        kind, drive, electronics_, errorHandler_, [window = QPointer<DispenserControlsWindowController>(this)] {
            MainQueue::main().async([window] {
                if (window) {
                    window->showIdleTitles();
                }
            });
        });
    if (started && dispensingButton_) {
        dispensingButton_->setText(cancelTitle);
        sprayingButton_->setText(cancelTitle);
    }
}

void DispenserControlsWindowController::showIdleTitles() {
    if (dispensingButton_) {
        dispensingButton_->setText(dispenseTitle);
        sprayingButton_->setText(sprayTitle);
    }
}

void DispenserControlsWindowController::showOrHideAdvancedOptions() {
    QWidget* window = this->window();
    const QRect frame = window->geometry();
    const int panelHeight = advancedOptionsView_->height();
    if (!advancedControlViewHidden_) {
        advancedOptionsView_->hide();
        advancedOptionsView_->setParent(nullptr);
        window->setFixedSize(frame.width(), frame.height() - panelHeight);
    } else {
        // The top edge stays; the window grows downward by the panel's height.
        const int height = frame.height() + panelHeight;
        window->setFixedSize(frame.width(), height);
        advancedOptionsView_->setParent(window);
        advancedOptionsView_->move(advancedPanelInset, height - advancedPanelInset - panelHeight);
        advancedOptionsView_->show();
    }
    advancedControlViewHidden_ = !advancedControlViewHidden_;
}

NumberField* DispenserControlsWindowController::numberField(const char* objectName, std::function<double()> getter,
                                                           std::function<bool(double)> setter) {
    auto* field = new NumberField(std::move(getter), [this, setter = std::move(setter)](double value) {
        const bool accepted = setter(value);
        showValues();
        return accepted;
    });
    field->setObjectName(objectName);
    fields_.emplace_back(field);
    return field;
}

void DispenserControlsWindowController::showValues() {
    if (!isWindowLoaded()) {
        return;
    }
    dispensingVoltageReadout_->setText(oneDecimal(settings_.dispensingVoltage(), " V"));
    sprayingVoltageReadout_->setText(oneDecimal(settings_.sprayingVoltage(), " V"));
    dispensingFrequencyReadout_->setText(oneDecimal(settings_.dispensingFrequency(), " kHz"));
    sprayingFrequencyReadout_->setText(oneDecimal(settings_.sprayingFrequency(), " kHz"));
    for (const auto& field : fields_) {
        if (field && !field->hasFocus()) {
            field->showValueInForce();
        }
    }
}

QWidget* DispenserControlsWindowController::makeWindow() {
    auto& s = settings_;
    auto* window = new QWidget(nullptr, Qt::Window);
    window->setObjectName("DispenserControlsWindowController");
    window->setWindowTitle("Dispenser Controls");

    const auto readout = [](const char* objectName) {
        auto* label = new QLabel;
        label->setObjectName(objectName);
        label->setMinimumWidth(80);
        return label;
    };
    dispensingVoltageReadout_ = readout("dispensingVoltageReadout");
    sprayingVoltageReadout_ = readout("sprayingVoltageReadout");
    dispensingFrequencyReadout_ = readout("dispensingFrequencyReadout");
    sprayingFrequencyReadout_ = readout("sprayingFrequencyReadout");
    currentDispenserFrequencyReadout_ = readout("currentDispenserFrequencyReadout");
    currentDispenserVoltageReadout_ = readout("currentDispenserVoltageReadout");

    auto* basic = new QWidget(window);
    auto* grid = new QGridLayout(basic);
    grid->setContentsMargins(20, 20, 20, 2 * advancedPanelInset);
    grid->addWidget(new QLabel("Dispensing"), 0, 1);
    grid->addWidget(new QLabel("Spraying"), 0, 3);
    grid->addWidget(new QLabel("Voltage (V)"), 1, 0);
    grid->addWidget(numberField("dispensingVoltage", [&s] { return s.dispensingVoltage(); },
                                [&s](double v) { return s.setDispensingVoltage(v); }),
                    1, 1);
    grid->addWidget(dispensingVoltageReadout_, 1, 2);
    grid->addWidget(numberField("sprayingVoltage", [&s] { return s.sprayingVoltage(); },
                                [&s](double v) { return s.setSprayingVoltage(v); }),
                    1, 3);
    grid->addWidget(sprayingVoltageReadout_, 1, 4);
    grid->addWidget(new QLabel("Duration (s)"), 2, 0);
    grid->addWidget(numberField("dispensingDuration", [&s] { return s.dispensingDuration(); },
                                [&s](double v) { return s.setDispensingDuration(v); }),
                    2, 1);
    grid->addWidget(numberField("sprayingDuration", [&s] { return s.sprayingDuration(); },
                                [&s](double v) { return s.setSprayingDuration(v); }),
                    2, 3);
    grid->addWidget(new QLabel("Frequency"), 3, 0);
    grid->addWidget(dispensingFrequencyReadout_, 3, 1);
    grid->addWidget(sprayingFrequencyReadout_, 3, 3);

    dispensingButton_ = new QPushButton(dispenseTitle);
    dispensingButton_->setObjectName("dispensingButton");
    sprayingButton_ = new QPushButton(sprayTitle);
    sprayingButton_->setObjectName("sprayingButton");
    connect(dispensingButton_, &QPushButton::clicked, this, &DispenserControlsWindowController::dispense);
    connect(sprayingButton_, &QPushButton::clicked, this, &DispenserControlsWindowController::spray);
    grid->addWidget(dispensingButton_, 4, 1);
    grid->addWidget(sprayingButton_, 4, 3);
    grid->addWidget(currentDispenserFrequencyReadout_, 5, 0, 1, 5);
    grid->addWidget(currentDispenserVoltageReadout_, 6, 0, 1, 5);
    auto* advancedButton = new QPushButton("Advanced options");
    advancedButton->setObjectName("advancedOptionsButton");
    connect(advancedButton, &QPushButton::clicked, this,
            &DispenserControlsWindowController::showOrHideAdvancedOptions);
    grid->addWidget(advancedButton, 7, 0, 1, 2);

    auto* advanced = new QWidget;
    advanced->setObjectName("advancedOptionsView");
    auto* advancedForm = new QFormLayout(advanced);
    advancedForm->setContentsMargins(0, 0, 0, 0);
    advancedForm->addRow("Dispensing frequency (kHz)",
                         numberField("dispensingFrequency", [&s] { return s.dispensingFrequency(); },
                                     [&s](double v) { return s.setDispensingFrequency(v); }));
    advancedForm->addRow("Spraying frequency (kHz)",
                         numberField("sprayingFrequency", [&s] { return s.sprayingFrequency(); },
                                     [&s](double v) { return s.setSprayingFrequency(v); }));
    advanced->resize(advanced->sizeHint());
    advancedOptionsView_ = advanced;

    basic->resize(basic->sizeHint());
    window->setFixedSize(basic->size());
    return window;
}

void DispenserControlsWindowController::windowDidLoad() {
    // The read-outs and the electronics' own reports of what they drive.
    showValues();
    auto& center = NotificationCenter::defaultCenter();
    notificationTokens_.push_back(center.addObserver(
        dispenserFrequencyChangeNotification(), [label = currentDispenserFrequencyReadout_](const Notification& n) {
            if (const auto* frequency = std::any_cast<Zovudidova::Frequency>(&n.object); frequency && label) {
                label->setText("Current dispenser frequency: " +
                               oneDecimal(frequency->value(Zovudidova::FrequencyUnit::kilohertz), " kHz"));
            }
        }));
    notificationTokens_.push_back(center.addObserver(
        dispenserVoltageChangeNotification(), [label = currentDispenserVoltageReadout_](const Notification& n) {
            if (const auto* volts = std::any_cast<double>(&n.object); volts && label) {
                label->setText("Current dispenser voltage: " + oneDecimal(*volts, " V"));
            }
        }));
}

} // namespace Dotfield
