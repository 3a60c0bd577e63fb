#include "Dotfield/Calibration/UI/DispenserDiagnosticsController.hpp"

#include <numbers>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include "Dotfield/Calibration/UI/CalibrationChartAxes.hpp"
#include "Dotfield/Platform/MainQueue.hpp"

namespace Dotfield {

namespace {

constexpr double sampleAxisLength = static_cast<double>(DispenserDiagnosticsHistory::capacity);
// The advanced panel's place in the window: from the left and from the bottom.
constexpr int panelLeft = 20;
constexpr int panelBottom = 10;
// The bar's steps per unit of the 0 to 20 value.
constexpr int barResolution = 100;

enum Column { pointColumn, frequencyColumn, averageColumn, standardDeviationColumn, currentValueColumn, valueGraphColumn };

QString number(double value) { return QString::number(value, 'g', 6); }

} // namespace

DispenserDiagnosticsController::DispenserDiagnosticsController(QWidget* parent)
    : QWidget(parent), feed_(std::make_shared<DispenserDiagnosticsFeed>([window = QPointer(this)] {
          MainQueue::main().async([window] {
              if (window) {
                  window->reloadPlotsAndTable();
              }
          });
      })) {
    setObjectName(windowNibName);
    setWindowTitle("Dispenser Diagnostics");
    layout_ = new QVBoxLayout(this);
    buildGraph();
    advancedOptionsButton_ = new QPushButton("Advanced options", this);
    advancedOptionsButton_->setObjectName("showOrHideAdvancedOptions");
    connect(advancedOptionsButton_, &QPushButton::clicked, this, [this] { showOrHideAdvancedOptions(); });
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(advancedOptionsButton_);
    layout_->addLayout(buttons);
    buildAdvancedOptions();
    resize(640, 480);
}

DispenserDiagnosticsController::~DispenserDiagnosticsController() {
    // The poll may outlive the window: it asks for no refresh from now on.
    feed_->setShown(false);
    // The panel is ours whether or not it is in the window.
    if (advancedOptionsView_ && advancedOptionsView_->parent() != this) {
        delete advancedOptionsView_;
    }
}

void DispenserDiagnosticsController::buildGraph() {
    graphView_ = new QChartView(this);
    graphView_->setObjectName("graphView");
    graphView_->setMinimumSize(560, 360);
    QChart* chart = installCalibrationChart(*graphView_);

    auto* xAxis = makeCalibrationAxis(0.0, sampleAxisLength, 0.0, 50.0, 2, "Sample number");
    // Labels at 45 degrees, rising to the right (Qt turns positive angles clockwise).
    xAxis->setLabelsAngle(-45);
    auto* yAxis = makeCalibrationAxis(-0.005, -0.005 + 1.1, 0.0, 0.1, 5, "Sensor signal (Arb. units)");
    chart->addAxis(xAxis, Qt::AlignBottom);
    chart->addAxis(yAxis, Qt::AlignLeft);

    sensorReadingPlot_ = new QLineSeries;
    sensorReadingPlot_->setName("Data Source Plot");
    sensorReadingPlot_->setPen(QPen(QColor(28, 54, 100), 1.5));
    thresholdPlot_ = new QLineSeries;
    thresholdPlot_->setName("Data Source Plot");
    thresholdPlot_->setPen(QPen(QColor::fromRgbF(1.0, 0.0, 0.0, 0.7), 3.0));
    thresholdPlot_->append(0.0, threshold);
    thresholdPlot_->append(sampleAxisLength, threshold);
    for (QLineSeries* series : {sensorReadingPlot_, thresholdPlot_}) {
        chart->addSeries(series);
        series->attachAxis(xAxis);
        series->attachAxis(yAxis);
    }
    layout_->addWidget(graphView_, 1);
}

void DispenserDiagnosticsController::buildAdvancedOptions() {
    // Not in the window until shown: the window grows by its height then.
    advancedOptionsView_ = new QWidget;
    advancedOptionsView_->setObjectName("advancedOptionsView");
    detailTable_ = new QTableWidget(static_cast<int>(dispenserStatusPointCount), 6, advancedOptionsView_);
    detailTable_->setObjectName("detailTable");
    detailTable_->setHorizontalHeaderLabels(
        {"Point", "Frequency (kHz)", "Average", "Std. deviation", "Current value", "Deviation"});
    detailTable_->verticalHeader()->hide();
    detailTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    detailTable_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    for (int row = 0; row < static_cast<int>(dispenserStatusPointCount); ++row) {
        for (int column = pointColumn; column < valueGraphColumn; ++column) {
            detailTable_->setItem(row, column, new QTableWidgetItem);
        }
        auto* bar = new QProgressBar;
        bar->setRange(0, static_cast<int>(DispenserDiagnosticsHistory::valueGraphMaximum) * barResolution);
        bar->setTextVisible(true);
        detailTable_->setCellWidget(row, valueGraphColumn, bar);
    }
    auto* panelLayout = new QVBoxLayout(advancedOptionsView_);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(detailTable_);
    advancedOptionsView_->resize(600, 190);
}

void DispenserDiagnosticsController::reloadPlotsAndTable() {
    feed_->history().refreshStarted();
    const auto snapshot = feed_->history().snapshot();
    const std::vector<double> signal = snapshot.sensorSignal();
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(signal.size()));
    for (std::size_t i = 0; i < signal.size(); ++i) {
        points.append(QPointF(static_cast<double>(i), signal[i]));
    }
    sensorReadingPlot_->replace(points);
    if (advancedOptionsVisible_) {
        reloadTable(snapshot);
    }
}

void DispenserDiagnosticsController::reloadTable(const DispenserDiagnosticsHistory::Snapshot& snapshot) {
    const auto text = [](const std::optional<double>& value) { return value ? number(*value) : QString(); };
    for (std::size_t r = 0; r < dispenserStatusPointCount; ++r) {
        const auto row = snapshot.row(r);
        const int line = static_cast<int>(r);
        detailTable_->item(line, pointColumn)->setText(QString::number(row.point));
        detailTable_->item(line, frequencyColumn)->setText(text(row.frequencyInKilohertz));
        detailTable_->item(line, averageColumn)->setText(text(row.averageImpedanceMagnitude));
        detailTable_->item(line, standardDeviationColumn)->setText(text(row.standardDeviation));
        detailTable_->item(line, currentValueColumn)->setText(number(row.currentValue));
        auto* bar = static_cast<QProgressBar*>(detailTable_->cellWidget(line, valueGraphColumn));
        bar->setValue(row.valueGraph ? static_cast<int>(*row.valueGraph * barResolution) : 0);
        bar->setFormat(row.valueGraph ? QString::number(*row.valueGraph, 'f', 2) : QString());
    }
}

void DispenserDiagnosticsController::showOrHideAdvancedOptions() {
    const int h = advancedOptionsView_->height();
    const QRect frame = geometry();
    if (advancedOptionsVisible_) {
        advancedOptionsView_->hide();
        advancedOptionsView_->setParent(nullptr);
        layout_->setContentsMargins(layout_->contentsMargins() - QMargins(0, 0, 0, h + panelBottom));
        setGeometry(frame.x(), frame.y(), frame.width(), frame.height() - h - panelBottom);
    } else {
        layout_->setContentsMargins(layout_->contentsMargins() + QMargins(0, 0, 0, h + panelBottom));
        setGeometry(frame.x(), frame.y(), frame.width(), frame.height() + h + panelBottom);
        advancedOptionsView_->setParent(this);
        placeAdvancedOptions();
        advancedOptionsView_->show();
    }
    advancedOptionsVisible_ = !advancedOptionsVisible_;
    if (advancedOptionsVisible_) {
        reloadTable(feed_->history().snapshot());
    }
}

void DispenserDiagnosticsController::placeAdvancedOptions() {
    const QSize size = advancedOptionsView_->size();
    advancedOptionsView_->setGeometry(panelLeft, height() - size.height() - panelBottom,
                                      std::min(size.width(), width() - 2 * panelLeft), size.height());
}

void DispenserDiagnosticsController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    feed_->setShown(true);
    reloadPlotsAndTable();
}

void DispenserDiagnosticsController::hideEvent(QHideEvent* event) {
    feed_->setShown(false);
    QWidget::hideEvent(event);
}

void DispenserDiagnosticsController::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (advancedOptionsVisible_) {
        placeAdvancedOptions();
    }
}

} // namespace Dotfield
