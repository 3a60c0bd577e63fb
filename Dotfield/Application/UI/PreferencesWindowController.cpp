#include "Dotfield/Application/UI/PreferencesWindowController.hpp"

#include <array>
#include <optional>
#include <utility>

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QToolBar>
#include <QVBoxLayout>

#include "Dotfield/Application/Preferences/PreferencesWindowModel.hpp"
#include "Dotfield/Application/UI/PreferencesFieldNumbers.hpp"

namespace Dotfield {

namespace {

constexpr const std::array<MotorPosition, 3>& axes = xyzMotors;

// The captions and field names of the motor speeds pane's rows, top to bottom.
struct SpeedRowView {
    SpeedRow row;
    const char* caption;
    const char* fieldPrefix;
};

constexpr std::array<SpeedRowView, 4> speedRowViews{{
    {SpeedRow::manualVelocity, "Manual speed:", "manualSpeed"},
    {SpeedRow::manualAcceleration, "Manual acceleration:", "manualAcceleration"},
    {SpeedRow::printingVelocity, "Printing speed:", "patternPrintingSpeed"},
    {SpeedRow::printingAcceleration, "Printing acceleration:", "patternPrintingAcceleration"},
}};

// The names of the gains pane's rows of fields; their captions come from the
// robot model's description of its tuning values.
constexpr std::array<const char*, 6> gainRows{"proportionalGain",    "integralGain",
                                              "derivativeGain",      "integralLimit",
                                              "velocityFeedforward", "accelerationFeedforward"};

// A safe pickup height as the field shows it: empty without one.
QString heightText(std::optional<double> height) {
    return height ? wholeNumber(*height) : QString();
}

} // namespace

PreferencesWindowController::PreferencesWindowController(std::shared_ptr<Authorizer> authorizer,
                                                         QWidget* parent)
    : QMainWindow(parent), authorizer_(std::move(authorizer)) {
    setObjectName(windowNibName);
    buildToolbar();
    buildMotorSpeedsView();
    buildSafetyValuesView();
    buildMotorCalibrationViews();
    paneHolder_ = new QWidget(this);
    auto* holderLayout = new QVBoxLayout(paneHolder_);
    holderLayout->setContentsMargins(0, 0, 0, 0);
    holderLayout->setSizeConstraint(QLayout::SetFixedSize);
    setCentralWidget(paneHolder_);
    setWindowTitle(toolbarItem(motorSpeedsTag)->text());
    updateControls();
}

void PreferencesWindowController::setRobot(std::shared_ptr<Robot> robot) {
    model_ = robot ? std::make_unique<PreferencesWindowModel>(std::move(robot)) : nullptr;
}

TuningValuesModel* PreferencesWindowController::tuning() const {
    return model_ ? &model_->tuning() : nullptr;
}

PreferencesWindowController::~PreferencesWindowController() {
    // A field losing its focus while the window goes must not reach it.
    for (QLineEdit* field : findChildren<QLineEdit*>()) {
        field->disconnect(this);
    }
}

// ---- Building the panes ------------------------------------------------------------------

void PreferencesWindowController::buildToolbar() {
    preferencesToolbar_ = new QToolBar(this);
    preferencesToolbar_->setObjectName("preferencesToolbar");
    preferencesToolbar_->setMovable(false);
    preferencesToolbar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    addToolBar(Qt::TopToolBarArea, preferencesToolbar_);
    auto* group = new QActionGroup(this);
    const std::array<std::pair<const char*, const char*>, 3> items{
        {{"Motor Speeds", "MotorSpeeds"},
         {"Safety Values", "SafetyValues"},
         {"Motor Calibration", "MotorCalibration"}}};
    for (int tag = 0; tag < static_cast<int>(items.size()); ++tag) {
        QAction* item = preferencesToolbar_->addAction(items[static_cast<std::size_t>(tag)].first);
        item->setObjectName(items[static_cast<std::size_t>(tag)].second);
        item->setData(tag);
        item->setCheckable(true);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, tag] { switchView(tag); });
        toolbarItems_.push_back(item);
    }
}

void PreferencesWindowController::onEntry(QLineEdit* field, std::function<void()> commit) {
    // Return and the loss of focus both end an editing; only an entry the
    // operator changed is taken, once.
    connect(field, &QLineEdit::editingFinished, this, [field, commit = std::move(commit)] {
        if (field->isModified()) {
            field->setModified(false);
            commit();
        }
    });
}

QLineEdit* PreferencesWindowController::makeField(QWidget* parent, const QString& name) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setAlignment(Qt::AlignRight);
    field->setMinimumWidth(90);
    return field;
}

void PreferencesWindowController::buildMotorSpeedsView() {
    motorSpeedsView_ = new QWidget(this);
    motorSpeedsView_->setObjectName("motorSpeedsView");
    auto* grid = new QGridLayout(motorSpeedsView_);
    for (std::size_t axis = 0; axis < axes.size(); ++axis) {
        grid->addWidget(new QLabel(axisLetter(axes[axis]), motorSpeedsView_), 0, static_cast<int>(axis) + 1,
                        Qt::AlignCenter);
    }
    for (std::size_t row = 0; row < speedRowViews.size(); ++row) {
        const int gridRow = static_cast<int>(row) + 1;
        grid->addWidget(new QLabel(speedRowViews[row].caption, motorSpeedsView_), gridRow, 0);
        for (std::size_t axis = 0; axis < axes.size(); ++axis) {
            QLineEdit* field =
                makeField(motorSpeedsView_, QString(speedRowViews[row].fieldPrefix) + axisLetter(axes[axis]));
            grid->addWidget(field, gridRow, static_cast<int>(axis) + 1);
            const SpeedField speed{field, speedRowViews[row].row, axes[axis]};
            speedFields_.push_back(speed);
            onEntry(field, [this, speed] { updateSpeedOrAcceleration(speed); });
        }
    }
    motorSpeedsView_->hide();
}

void PreferencesWindowController::buildSafetyValuesView() {
    safetyValuesView_ = new QWidget(this);
    safetyValuesView_->setObjectName("safetyValuesView");
    auto* grid = new QGridLayout(safetyValuesView_);
    printingRetractionDistance_ = makeField(safetyValuesView_, "printingRetractionDistance");
    safePickupHeight_ = makeField(safetyValuesView_, "safePickupHeight");
    useCurrentPositionButton_ = new QPushButton("Use current position", safetyValuesView_);
    useCurrentPositionButton_->setObjectName("useTheCurrentPositionForSafePickupHeight");
    useSlowerApproach_ = new QCheckBox("Approach the surface slowly when finding it", safetyValuesView_);
    useSlowerApproach_->setObjectName("useSlowerApproach");
    resetSavedPositionHeight_ =
        new QCheckBox("Reset saved position heights when a new dispenser is connected", safetyValuesView_);
    resetSavedPositionHeight_->setObjectName("resetSavedPositionHeight");

    grid->addWidget(new QLabel("Pattern pickup distance (µm):", safetyValuesView_), 0, 0);
    grid->addWidget(printingRetractionDistance_, 0, 1);
    grid->addWidget(new QLabel("Safe pickup height (µm):", safetyValuesView_), 1, 0);
    grid->addWidget(safePickupHeight_, 1, 1);
    grid->addWidget(useCurrentPositionButton_, 1, 2);
    grid->addWidget(useSlowerApproach_, 2, 0, 1, 3);
    grid->addWidget(resetSavedPositionHeight_, 3, 0, 1, 3);

    onEntry(printingRetractionDistance_, [this] { updatePatternPickupDistance(); });
    onEntry(safePickupHeight_, [this] { updateSafePickupHeight(); });
    connect(useCurrentPositionButton_, &QPushButton::clicked, this,
            [this] { useTheCurrentPositionForSafePickupHeight(); });
    connect(useSlowerApproach_, &QCheckBox::clicked, this, [this](bool on) { toggleUseSlowerApproach(on); });
    connect(resetSavedPositionHeight_, &QCheckBox::clicked, this,
            [this](bool on) { toggleResetSavedPositionHeight(on); });
    safetyValuesView_->hide();
}

void PreferencesWindowController::buildMotorCalibrationViews() {
    motorCalibrationValuesDIIView_ = new QWidget(this);
    motorCalibrationValuesDIIView_->setObjectName("motorCalibrationValuesDIIView");
    auto* gains = new QGridLayout(motorCalibrationValuesDIIView_);
    for (std::size_t axis = 0; axis < axes.size(); ++axis) {
        gains->addWidget(new QLabel(axisLetter(axes[axis]), motorCalibrationValuesDIIView_), 0,
                         static_cast<int>(axis) + 1, Qt::AlignCenter);
    }
    for (std::size_t row = 0; row < gainRows.size(); ++row) {
        const int gridRow = static_cast<int>(row) + 1;
        auto* caption = new QLabel(motorCalibrationValuesDIIView_);
        caption->setObjectName(QString(gainRows[row]) + "TextLabel");
        gains->addWidget(caption, gridRow, 0);
        gainCaptions_.push_back(caption);
        for (std::size_t axis = 0; axis < axes.size(); ++axis) {
            QLineEdit* field =
                makeField(motorCalibrationValuesDIIView_, QString(gainRows[row]) + axisLetter(axes[axis]));
            gains->addWidget(field, gridRow, static_cast<int>(axis) + 1);
            const TuningField tuning{field, row, axes[axis]};
            tuningFields_.push_back(tuning);
            onEntry(field, [this, tuning] { updateTuningParameter(tuning); });
        }
    }
    motorCalibrationValuesDIIView_->hide();

    motorCalibrationValuesDesktopView_ = new QWidget(this);
    motorCalibrationValuesDesktopView_->setObjectName("motorCalibrationValuesDesktopView");
    auto* backlash = new QGridLayout(motorCalibrationValuesDesktopView_);
    for (std::size_t axis = 0; axis < axes.size(); ++axis) {
        backlash->addWidget(new QLabel(axisLetter(axes[axis]), motorCalibrationValuesDesktopView_), 0,
                            static_cast<int>(axis) + 1, Qt::AlignCenter);
    }
    backlashCaptions_.push_back(new QLabel(motorCalibrationValuesDesktopView_));
    backlash->addWidget(backlashCaptions_.front(), 1, 0);
    for (std::size_t axis = 0; axis < axes.size(); ++axis) {
        QLineEdit* field =
            makeField(motorCalibrationValuesDesktopView_, QString("backlashIn") + axisLetter(axes[axis]));
        backlash->addWidget(field, 1, static_cast<int>(axis) + 1);
        const TuningField tuning{field, 0, axes[axis]};
        backlashFields_.push_back(tuning);
        onEntry(field, [this, tuning] { updateTuningParameter(tuning); });
    }
    motorCalibrationValuesDesktopView_->hide();

    // The lock and the two tuning actions, placed in the model's pane when the window loads.
    tuningControls_ = new QWidget(this);
    auto* controls = new QHBoxLayout(tuningControls_);
    controls->setContentsMargins(0, 8, 0, 0);
    unlockButton_ = new QPushButton("Unlock", tuningControls_);
    unlockButton_->setObjectName("unlockButton");
    applyButton_ = new QPushButton("Apply now", tuningControls_);
    applyButton_->setObjectName("applyTuningParametersNow");
    restoreButton_ = new QPushButton("Restore factory defaults…", tuningControls_);
    restoreButton_->setObjectName("restoreFactoryDefaults");
    controls->addWidget(unlockButton_);
    controls->addStretch(1);
    controls->addWidget(restoreButton_);
    controls->addWidget(applyButton_);
    connect(unlockButton_, &QPushButton::clicked, this, [this] { unlockPanel(); });
    connect(applyButton_, &QPushButton::clicked, this, [this] { applyTuningParametersNow(); });
    connect(restoreButton_, &QPushButton::clicked, this, [this] { restoreFactoryDefaults(); });
    tuningControls_->hide();
}

QAction* PreferencesWindowController::toolbarItem(int tag) const {
    for (QAction* item : toolbarItems_) {
        if (item->data().toInt() == tag) {
            return item;
        }
    }
    return nullptr;
}

// ---- Lifecycle ----------------------------------------------------------------------------

void PreferencesWindowController::showEvent(QShowEvent* event) {
    if (!windowLoaded_) {
        windowLoaded_ = true;
        windowDidLoad();
    }
    QMainWindow::showEvent(event);
}

void PreferencesWindowController::windowDidLoad() {
    if (model_) {
        for (const SpeedField& speed : speedFields_) {
            speed.field->setText(wholeNumber(model_->speed(speed.row, speed.motor)));
        }
        safePickupHeight_->setText(heightText(model_->safePickupHeight()));
        printingRetractionDistance_->setText(wholeNumber(model_->patternPickupDistance()));
        const QSignalBlocker slowBlocker(useSlowerApproach_);
        useSlowerApproach_->setChecked(model_->shouldUseSlowApproachDuringSurfaceFinding());
        const QSignalBlocker resetBlocker(resetSavedPositionHeight_);
        resetSavedPositionHeight_->setChecked(model_->shouldResetSavedHeightsOnDispenserDisconnection());
    }
    loadAllTuningValues();
    if (QWidget* pane = motorCalibrationView(); pane->layout()) {
        auto* grid = static_cast<QGridLayout*>(pane->layout());
        grid->addWidget(tuningControls_, grid->rowCount(), 0, 1, grid->columnCount());
        tuningControls_->show();
    }
    previouslyDisplayedView_ = motorSpeedsView_;
    paneHolder_->layout()->addWidget(motorSpeedsView_);
    motorSpeedsView_->show();
    toolbarItem(motorSpeedsTag)->setChecked(true);
    updateControls();
}

void PreferencesWindowController::observeRobotReadiness() {
    if (!model_) {
        return;
    }
    model_->observeReadiness([window = QPointer(this)](bool ready) {
        if (window) {
            window->setRobotReadyToMove(ready);
        }
    });
}

// ---- Panes --------------------------------------------------------------------------------

QWidget* PreferencesWindowController::motorCalibrationView() const {
    if (const TuningValuesModel* values = tuning(); values && values->pane() == TuningPane::gains) {
        return motorCalibrationValuesDIIView_;
    }
    return motorCalibrationValuesDesktopView_;
}

void PreferencesWindowController::switchView(int tag) {
    QWidget* pane = motorSpeedsView_;
    if (tag == safetyValuesTag) {
        pane = safetyValuesView_;
    } else if (tag == motorCalibrationTag) {
        pane = motorCalibrationView();
    }
    if (QAction* item =
            toolbarItem(tag == safetyValuesTag || tag == motorCalibrationTag ? tag : motorSpeedsTag)) {
        setWindowTitle(item->text());
        item->setChecked(true);
    }
    const QRect before = geometry();
    if (previouslyDisplayedView_ && previouslyDisplayedView_ != pane) {
        paneHolder_->layout()->removeWidget(previouslyDisplayedView_);
        previouslyDisplayedView_->hide();
    }
    if (previouslyDisplayedView_ != pane) {
        paneHolder_->layout()->addWidget(pane);
        pane->show();
    }
    previouslyDisplayedView_ = pane;
    // The window takes the pane's size and keeps its top edge.
    paneHolder_->layout()->activate();
    if (QLayout* windowLayout = layout()) {
        windowLayout->invalidate();
        windowLayout->activate();
    }
    setMinimumSize(0, 0);
    resize(sizeHint());
    move(pos().x(), pos().y() + (before.top() - geometry().top()));
}

// ---- Speeds and safety values -----------------------------------------------------------------

void PreferencesWindowController::updateSpeedOrAcceleration(const SpeedField& speed) {
    if (!model_) {
        return;
    }
    const std::optional<double> value = finiteNumber(*speed.field);
    if (!value || !model_->setSpeed(speed.row, speed.motor, *value, errorHandler_)) {
        speed.field->setText(wholeNumber(model_->speed(speed.row, speed.motor)));
    }
}

void PreferencesWindowController::updatePatternPickupDistance() {
    if (!model_) {
        return;
    }
    const std::optional<double> distance = finiteNumber(*printingRetractionDistance_);
    if (!distance || !model_->setPatternPickupDistance(*distance)) {
        printingRetractionDistance_->setText(wholeNumber(model_->patternPickupDistance()));
    }
}

void PreferencesWindowController::updateSafePickupHeight() {
    if (!model_) {
        return;
    }
    const std::optional<double> height = finiteNumber(*safePickupHeight_);
    showSafePickupHeight(height ? model_->setSafePickupHeight(*height) : std::nullopt);
}

void PreferencesWindowController::useTheCurrentPositionForSafePickupHeight() {
    if (model_) {
        showSafePickupHeight(model_->useCurrentPositionForSafePickupHeight());
    }
}

void PreferencesWindowController::showSafePickupHeight(std::optional<double> stored) {
    // What holds: the stored height, raised to the model's own safe height,
    // or the one in force when nothing was stored.
    safePickupHeight_->setText(heightText(stored ? stored : model_->safePickupHeight()));
}

void PreferencesWindowController::toggleUseSlowerApproach(bool on) {
    if (model_) {
        model_->setShouldUseSlowApproachDuringSurfaceFinding(on);
    }
}

void PreferencesWindowController::toggleResetSavedPositionHeight(bool on) {
    if (model_) {
        model_->setShouldResetSavedHeightsOnDispenserDisconnection(on);
    }
}

// ---- State --------------------------------------------------------------------------------

void PreferencesWindowController::setUserAuthenticated(bool authenticated) {
    if (userAuthenticated_ == authenticated) {
        return;
    }
    userAuthenticated_ = authenticated;
    updateControls();
    emit userAuthenticatedChanged(authenticated);
}

void PreferencesWindowController::setRobotReadyToMove(bool ready) {
    if (robotReadyToMove_ == ready) {
        return;
    }
    robotReadyToMove_ = ready;
    updateControls();
    emit robotReadyToMoveChanged(ready);
}

void PreferencesWindowController::updateControls() {
    for (const TuningField& field : tuningFields_) {
        field.field->setEnabled(userAuthenticated_);
    }
    for (const TuningField& field : backlashFields_) {
        field.field->setEnabled(userAuthenticated_);
    }
    const bool idle = tuningSendsInFlight_ == 0 && model_ != nullptr;
    applyButton_->setEnabled(userAuthenticated_ && idle);
    restoreButton_->setEnabled(userAuthenticated_ && idle && model_ && model_->tuning().hasFactorySet());
    unlockButton_->setEnabled(!authorizationPending_);
    // The last known position is only worth taking while the robot stands.
    useCurrentPositionButton_->setEnabled(robotReadyToMove_);
}

} // namespace Dotfield
