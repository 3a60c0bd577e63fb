#include "Dotfield/Calibration/UI/DispenserCalibrationController.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "Dotfield/Platform/Qt/Widgets/TransparentWindow.hpp"
#include "Dotfield/Calibration/UI/DispenserCalibrationChart.hpp"
#include "Dotfield/Calibration/UI/DispenserCalibrationOverlay.hpp"

namespace Dotfield {

namespace {

double kilohertz(const Zovudidova::Frequency& frequency) {
    return frequency.value(Zovudidova::FrequencyUnit::kilohertz);
}

} // namespace

DispenserCalibrationController::DispenserCalibrationController(DispenserCalibrationEnvironment environment,
                                                               DispenserCalibrationWindowTimes times,
                                                               QWidget* parent)
    : DispenserCalibrationController(DispenserCalibration::create(std::move(environment)), times, parent) {}

DispenserCalibrationController::DispenserCalibrationController(std::shared_ptr<DispenserCalibration> calibration,
                                                               DispenserCalibrationWindowTimes times,
                                                               QWidget* parent)
    : QWidget(parent, Qt::Window), calibration_(std::move(calibration)), times_(times) {
    setObjectName(QStringLiteral("DispenserCalibrationController"));
    setWindowTitle(tr("Dispenser Calibration"));
    resize(720, 540);

    // The main view holds the graph and the controls; the overlay lies over it.
    auto* mainView = new QWidget(this);
    mainView->setObjectName(QStringLiteral("mainView"));
    chart_ = new DispenserCalibrationChart(mainView);
    calibrateButton_ = new QPushButton(tr("Calibrate dispenser"), mainView);
    calibrateButton_->setObjectName(QStringLiteral("calibrateButton"));
    statusLine_ = new QLabel(mainView);
    statusLine_->setObjectName(QStringLiteral("statusLine"));
    auto* controls = new QHBoxLayout;
    controls->addWidget(statusLine_, 1);
    controls->addWidget(calibrateButton_);
    auto* mainLayout = new QVBoxLayout(mainView);
    mainLayout->addWidget(chart_, 1);
    mainLayout->addLayout(controls);
    auto* windowLayout = new QVBoxLayout(this);
    windowLayout->setContentsMargins(0, 0, 0, 0);
    windowLayout->addWidget(mainView);
    overlay_ = new DispenserCalibrationOverlay(mainView, chart_, times_.overlayFadeIn, times_.overlayFadeOut);

    connect(calibrateButton_, &QPushButton::clicked, this, &DispenserCalibrationController::calibrate);
    calibration_->setDisplay(this);
    calibrationStateChanged();
    reloadGraph();
}

DispenserCalibrationController::~DispenserCalibrationController() {
    calibration_->setDisplay(nullptr);
}

TransparentWindow* DispenserCalibrationController::lastStatePanel() const {
    return lastStatePanel_;
}

void DispenserCalibrationController::calibrate() {
    calibration_->calibrate();
}

int DispenserCalibrationController::numberOfRecords(Plot plot) const {
    if (plot == Plot::surfaceSensingFrequencies) {
        return calibration_->dispenserStatistics() ? static_cast<int>(dispenserStatusPointCount) : 0;
    }
    return static_cast<int>(calibration_->plotValues().size());
}

double DispenserCalibrationController::number(Plot plot, Field field, int record) const {
    const auto index = static_cast<std::size_t>(record);
    if (plot == Plot::surfaceSensingFrequencies) {
        const auto statistics = calibration_->dispenserStatistics();
        if (!statistics || index >= statistics->size()) {
            return 0.0;
        }
        const auto& statistic = (*statistics)[index];
        return field == Field::frequency ? kilohertz(statistic.measurementSettings.frequency)
                                         : statistic.averageImpedanceMagnitude;
    }
    const auto& values = calibration_->plotValues();
    if (index >= values.size()) {
        return 0.0;
    }
    return field == Field::frequency ? kilohertz(values[index].frequency) : values[index].magnitude;
}

// ---- DispenserCalibrationDisplay ------------------------------------------------------------

void DispenserCalibrationController::showCalibrationWindow() {
    show();
    raise();
    activateWindow();
}

void DispenserCalibrationController::closeCalibrationWindow() {
    close();
}

void DispenserCalibrationController::scanPointAppended(std::size_t index) {
    const int record = static_cast<int>(index);
    chart_->appendScanPoint(QPointF(number(Plot::impedanceValues, Field::frequency, record),
                                    number(Plot::impedanceValues, Field::magnitude, record)));
}

void DispenserCalibrationController::reloadGraph() {
    for (const Plot plot : {Plot::impedanceValues, Plot::surfaceSensingFrequencies}) {
        QList<QPointF> points;
        const int count = numberOfRecords(plot);
        points.reserve(count);
        for (int record = 0; record < count; ++record) {
            points.append(QPointF(number(plot, Field::frequency, record), number(plot, Field::magnitude, record)));
        }
        if (plot == Plot::impedanceValues) {
            chart_->setScanPoints(points);
        } else {
            chart_->setSurfaceSensingPoints(points);
        }
    }
}

void DispenserCalibrationController::showOverlayView() {
    overlay_->showOverlay();
}

void DispenserCalibrationController::hideOverlayView() {
    overlay_->hideOverlay();
}

void DispenserCalibrationController::updateStatisticSamplingProgress(double progress) {
    overlay_->setProgress(progress);
}

void DispenserCalibrationController::displayDispenserStatePanel(DispenserStatePanel panel) {
    lastStatePanel_ = showDispenserStatePanel(makeDispenserStatePanelContent(panel), times_.panel);
}

void DispenserCalibrationController::calibrationStateChanged() {
    const bool inProgress = calibration_->calibrationInProgress();
    calibrateButton_->setText(inProgress ? tr("Stop calibration") : tr("Calibrate dispenser"));
    statusLine_->setText(QString::fromStdString(calibration_->statusText()));
    if (inProgress != shownInProgress_) {
        shownInProgress_ = inProgress;
        emit calibrationInProgressChanged(inProgress);
    }
}

} // namespace Dotfield
