#include "Dotfield/Application/UI/RelayControlsWindowController.hpp"

#include <mutex>
#include <utility>

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include "Dotfield/Platform/Qt/Widgets/DeviceWindowNumbers.hpp"
#include "Dotfield/Instrument/Relay/Relay.hpp"
#include "Dotfield/Platform/MainQueue.hpp"

namespace Dotfield {

struct RelayControlsWindowController::SharedErrorHandler {
    void set(ErrorHandler handler) {
        std::lock_guard lock(mutex);
        errorHandler = std::move(handler);
    }
    void operator()(std::exception_ptr error) const {
        ErrorHandler handler;
        {
            std::lock_guard lock(mutex);
            handler = errorHandler;
        }
        if (handler) {
            handler(std::move(error));
        }
    }

    mutable std::mutex mutex;
    ErrorHandler errorHandler;
};

RelayControlsWindowController::RelayControlsWindowController(std::shared_ptr<UserDefaults> userDefaults,
                                                             std::shared_ptr<Relay> relay, QObject* parent)
    : DeviceWindowController(parent), settings_(std::move(userDefaults)),
      relay_(relay ? std::move(relay) : std::make_shared<Relay>()),
      errorHandler_(std::make_shared<SharedErrorHandler>()) {
    // Whoever switches the relay (this window, the humidity rule, a print's
    // curing), the button follows.
    relay_->setKnownStateObserver([window = QPointer<RelayControlsWindowController>(this)](std::optional<RelayState>) {
        MainQueue::main().async([window] {
            if (window) {
                window->showKnownState();
            }
        });
    });
}

RelayControlsWindowController::~RelayControlsWindowController() {
    deleteWindow();
    relay_->setKnownStateObserver(nullptr);
}

void RelayControlsWindowController::setErrorHandler(ErrorHandler errorHandler) {
    errorHandler_->set(std::move(errorHandler));
}

const char* RelayControlsWindowController::relayButtonTitle(std::optional<RelayState> knownState) {
    return knownState == RelayState::closed ? "Manually open relay" : "Manually close relay";
}

void RelayControlsWindowController::manuallyCloseOrOpenRelay() {
    relay_->serialDispatchQueue().async([relay = relay_, errorHandler = errorHandler_] {
        const RelayState next = relay->knownState() == RelayState::closed ? RelayState::open : RelayState::closed;
        try {
            relay->switchRelay(next);
        } catch (...) {
            (*errorHandler)(std::current_exception());
        }
    });
}

std::optional<UVCuringPatternMode> RelayControlsWindowController::uvCuringMode() const {
    return uvCuringPatternMode(settings_.curingTypeRawValue(), relay_, settings_.offset(),
                               settings_.value(UVCuringSettings::Field::curingDuration));
}

NumberField* RelayControlsWindowController::numberField(UVCuringSettings::Field field, const char* objectName) {
    auto* numberField = new NumberField([this, field] { return settings_.value(field); },
                                        [this, field](double value) { return settings_.setValue(field, value); });
    numberField->setObjectName(objectName);
    return numberField;
}

QWidget* RelayControlsWindowController::makeWindow() {
    using Field = UVCuringSettings::Field;
    auto* window = new QWidget(nullptr, Qt::Window);
    window->setObjectName("RelayControlsWindowController");
    window->setWindowTitle("Relay Controls");

    auto* offsets = new QGroupBox("UV offset (µm)");
    auto* offsetForm = new QFormLayout(offsets);
    offsetForm->addRow("X", numberField(Field::offsetForX, "positionOffsetForX"));
    offsetForm->addRow("Y", numberField(Field::offsetForY, "positionOffsetForY"));
    offsetForm->addRow("Z", numberField(Field::offsetForZ, "positionOffsetForZ"));

    auto* speeds = new QGroupBox("Speeds");
    auto* speedForm = new QFormLayout(speeds);
    speedForm->addRow("X", numberField(Field::speedForX, "xSpeed"));
    speedForm->addRow("Y", numberField(Field::speedForY, "ySpeed"));
    speedForm->addRow("Z", numberField(Field::speedForZ, "zSpeed"));

    auto* curing = new QGroupBox("UV curing");
    auto* curingForm = new QFormLayout(curing);
    curingForm->addRow("Duration (s)", numberField(Field::curingDuration, "duration"));
    curingOptions_ = new QComboBox;
    curingOptions_->setObjectName("curingOptions");
    curingOptions_->addItems({"None", "While printing", "After each solution", "After pattern"});
    curingOptions_->setCurrentIndex(static_cast<int>(settings_.curingTypeRawValue()));
    connect(curingOptions_, &QComboBox::currentIndexChanged, this,
            [this](int index) { settings_.setCuringTypeRawValue(index); });
    curingForm->addRow("Cure", curingOptions_);

    relayButton_ = new QPushButton(relayButtonTitle(relay_->knownState()));
    relayButton_->setObjectName("relayButton");
    connect(relayButton_, &QPushButton::clicked, this, &RelayControlsWindowController::manuallyCloseOrOpenRelay);

    auto* layout = new QVBoxLayout(window);
    layout->addWidget(offsets);
    layout->addWidget(speeds);
    layout->addWidget(curing);
    layout->addWidget(relayButton_);
    return window;
}

void RelayControlsWindowController::showKnownState() {
    if (relayButton_) {
        relayButton_->setText(relayButtonTitle(relay_->knownState()));
    }
}

} // namespace Dotfield
