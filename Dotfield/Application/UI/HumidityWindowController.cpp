#include "Dotfield/Application/UI/HumidityWindowController.hpp"

#include <utility>

#include <QChart>
#include <QChartView>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineSeries>
#include <QList>
#include <QPen>
#include <QPointF>
#include <QValueAxis>
#include <QWidget>

#include "Dotfield/Application/Humidity/HumidityPollingLoop.hpp"
#include "Dotfield/Platform/Qt/Widgets/DeviceWindowNumbers.hpp"

namespace Dotfield {

namespace {

constexpr double graphHeight = 100.0;
constexpr qint64 graphRedrawInterval = 500; // ms

QValueAxis* makeAxis(const QString& title, double length, double interval, int minorTicks) {
    auto* axis = new QValueAxis;
    axis->setRange(0.0, length);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0.0);
    axis->setTickInterval(interval);
    axis->setMinorTickCount(minorTicks);
    axis->setLabelFormat("%d");
    axis->setTitleText(title);
    QFont labels = axis->labelsFont();
    labels.setPixelSize(12);
    axis->setLabelsFont(labels);
    QColor major(Qt::gray);
    major.setAlphaF(0.3F);
    QColor minor(Qt::gray);
    minor.setAlphaF(0.1F);
    axis->setGridLinePen(QPen(major, 1.0));
    axis->setMinorGridLinePen(QPen(minor, 1.0));
    return axis;
}

} // namespace

HumidityWindowController::HumidityWindowController(std::shared_ptr<UserDefaults> userDefaults, QObject* parent)
    : DeviceWindowController(parent), limits_(std::move(userDefaults)) {
    graphTimer_.setSingleShot(true);
    connect(&graphTimer_, &QTimer::timeout, this, &HumidityWindowController::redrawGraph);
}

HumidityWindowController::~HumidityWindowController() {
    deleteWindow();
    if (const auto loop = loop_.lock()) {
        loop->setDisplay(nullptr);
    }
}

void HumidityWindowController::setHumidityLoop(std::shared_ptr<HumidityPollingLoop> loop) {
    loop_ = loop;
    if (!loop) {
        return;
    }
    loop->setLimits(limits_.minHumidity(), limits_.maxHumidity());
    loop->setDisplay([window = QPointer<HumidityWindowController>(this)](const HumidityReading& reading) {
        if (window) {
            window->updateWithNewMeasuredHumidity(reading.relativeHumidity, reading.temperatureFahrenheit);
            window->graphChanged();
        }
    });
}

bool HumidityWindowController::setMinHumidity(double minHumidity) {
    const bool accepted = limits_.setMinHumidity(minHumidity);
    limitsChanged();
    return accepted;
}

bool HumidityWindowController::setMaxHumidity(double maxHumidity) {
    const bool accepted = limits_.setMaxHumidity(maxHumidity);
    limitsChanged();
    return accepted;
}

void HumidityWindowController::limitsChanged() {
    if (const auto loop = loop_.lock()) {
        loop->setLimits(limits_.minHumidity(), limits_.maxHumidity());
    }
    if (minHumidityLabel_) {
        minHumidityLabel_->setText(oneDecimal(limits_.minHumidity(), "%"));
        maxHumidityLabel_->setText(oneDecimal(limits_.maxHumidity(), "%"));
        minHumidityField_->showValueInForce();
        maxHumidityField_->showValueInForce();
    }
}

void HumidityWindowController::updateWithNewMeasuredHumidity(double humidity, double temperatureFahrenheit) {
    history_.append(humidity);
    if (currentHumidityLabel_) {
        currentHumidityLabel_->setText("Current humidity: " + oneDecimal(humidity, "%"));
        currentTemperatureLabel_->setText("Current temperature: " + oneDecimal(temperatureFahrenheit, " °F"));
    }
}

void HumidityWindowController::graphChanged() {
    if (graphTimer_.isActive()) {
        return; // the redraw already due takes this reading along
    }
    const qint64 since = sinceGraphRedrawn_.isValid() ? sinceGraphRedrawn_.elapsed() : graphRedrawInterval;
    if (since >= graphRedrawInterval) {
        redrawGraph();
    } else {
        graphTimer_.start(static_cast<int>(graphRedrawInterval - since));
    }
}

void HumidityWindowController::redrawGraph() {
    sinceGraphRedrawn_.start();
    updateGraph();
}

void HumidityWindowController::updateGraph() {
    if (!humidityLinePlot_) {
        return;
    }
    if (history_.samples().size() >= HumidityHistory::capacity) {
        const auto start = static_cast<double>(history_.xRangeStart());
        xAxis_->setRange(start, start + static_cast<double>(HumidityHistory::capacity));
    }
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(history_.samples().size()));
    for (const auto& sample : history_.samples()) {
        points.append(QPointF(static_cast<double>(sample.index), sample.humidity));
    }
    humidityLinePlot_->replace(points);
}

QWidget* HumidityWindowController::makeWindow() {
    auto* window = new QWidget(nullptr, Qt::Window);
    window->setObjectName("HumidityWindowController");
    window->setWindowTitle("Humidity");

    minHumidityLabel_ = new QLabel(oneDecimal(limits_.minHumidity(), "%"));
    minHumidityLabel_->setObjectName("minHumidityLabel");
    maxHumidityLabel_ = new QLabel(oneDecimal(limits_.maxHumidity(), "%"));
    maxHumidityLabel_->setObjectName("maxHumidityLabel");
    minHumidityField_ = new NumberField([this] { return limits_.minHumidity(); },
                                        [this](double value) { return setMinHumidity(value); });
    minHumidityField_->setObjectName("minHumidity");
    maxHumidityField_ = new NumberField([this] { return limits_.maxHumidity(); },
                                        [this](double value) { return setMaxHumidity(value); });
    maxHumidityField_->setObjectName("maxHumidity");
    currentHumidityLabel_ = new QLabel("Current humidity: --");
    currentHumidityLabel_->setObjectName("currentHumidityLabel");
    currentTemperatureLabel_ = new QLabel("Current temperature: --");
    currentTemperatureLabel_->setObjectName("currentTemperatureLabel");

    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setBackgroundVisible(false);
    chart->setPlotAreaBackgroundVisible(false);
    chart->setMargins(QMargins(0, 10, 20, 0));
    xAxis_ = makeAxis("Sample Number", static_cast<double>(HumidityHistory::capacity), 20.0, 2);
    xAxis_->setLabelsAngle(45);
    auto* yAxis = makeAxis("Relative humidity (%)", graphHeight, 10.0, 5);
    chart->addAxis(xAxis_, Qt::AlignBottom);
    chart->addAxis(yAxis, Qt::AlignLeft);
    humidityLinePlot_ = new QLineSeries;
    humidityLinePlot_->setName("Data Source Plot");
    humidityLinePlot_->setPen(QPen(QColor(28, 54, 100), 2.0));
    humidityLinePlot_->setUseOpenGL(false);
    chart->addSeries(humidityLinePlot_);
    humidityLinePlot_->attachAxis(xAxis_);
    humidityLinePlot_->attachAxis(yAxis);
    auto* humidityGraphView = new QChartView(chart);
    humidityGraphView->setObjectName("humidityGraphView");
    humidityGraphView->setRenderHint(QPainter::Antialiasing);
    humidityGraphView->setMinimumSize(560, 360);

    auto* limits = new QFormLayout;
    limits->addRow("Minimum humidity (%)", minHumidityField_);
    limits->addRow("Maximum humidity (%)", maxHumidityField_);
    auto* band = new QGridLayout;
    band->addWidget(new QLabel("Relay closes below"), 0, 0);
    band->addWidget(minHumidityLabel_, 0, 1);
    band->addWidget(new QLabel("Relay opens above"), 1, 0);
    band->addWidget(maxHumidityLabel_, 1, 1);

    auto* layout = new QGridLayout(window);
    layout->addWidget(currentHumidityLabel_, 0, 0);
    layout->addWidget(currentTemperatureLabel_, 1, 0);
    layout->addLayout(limits, 0, 1, 2, 1);
    layout->addLayout(band, 0, 2, 2, 1);
    layout->addWidget(humidityGraphView, 2, 0, 1, 3);
    return window;
}

void HumidityWindowController::windowDidLoad() {
    updateGraph();
}

} // namespace Dotfield
