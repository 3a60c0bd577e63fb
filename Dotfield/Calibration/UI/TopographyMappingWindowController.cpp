#include "Dotfield/Calibration/UI/TopographyMappingWindowController.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include "Dotfield/Calibration/TopographyMapping/TopographyMappingRun.hpp"
#include "Dotfield/Calibration/TopographyMapping/TopographyPlotData.hpp"
#include "Dotfield/Calibration/UI/CalibrationChartAxes.hpp"
#include "Dotfield/Instrument/HelperFunctions/PresentError.hpp"
#include "Dotfield/Platform/FileChoosers/OpenFileChooser.hpp"
#include "Dotfield/Platform/FileChoosers/SaveFileChooser.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/Robotics/SurfaceTopographyMap.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"
#include "Zovudidova/NumberText.hpp"

namespace Dotfield {

using VeltranePatterns::Coordinate;

namespace {

const QColor lineColour(28, 54, 100);
constexpr double markerSize = 4.0;
const char* const nameFilter = "Topography maps (*.csv)";
// The most X labels the graph writes: slanted 12-point labels need about 25
// pixels each along an axis at least 400 pixels long.
constexpr double mostXLabels = 12.0;

// A label per grid column, or per every second, third, ... column when the
// columns are too many to label each.
double xLabelInterval(const TopographyGridExtent& grid) {
    const double columns = grid.distanceInX / grid.stepSizeInX;
    if (!std::isfinite(columns) || columns <= mostXLabels) {
        return grid.stepSizeInX;
    }
    return grid.stepSizeInX * std::ceil(columns / mostXLabels);
}

ErrorAlertContent oneButtonAlert(std::string title, std::string text) {
    return {.defaultButtonTitle = "OK",
            .alternateButtonTitle = std::nullopt,
            .messageText = std::move(title),
            .informativeText = std::move(text),
            .style = AlertStyle::critical};
}

// Runs the work on the main thread: at once there, else queued.
void onMain(std::function<void()> work) {
    if (MainQueue::main().isCurrent()) {
        work();
    } else {
        MainQueue::main().async(std::move(work));
    }
}

} // namespace

TopographyMappingWindowController::TopographyMappingWindowController(std::shared_ptr<UserDefaults> userDefaults,
                                                                     TopographyMapStore::DefaultFileLocation defaultFile,
                                                                     QWidget* parent)
    : QWidget(parent), settings_(std::move(userDefaults)),
      store_(defaultFile ? TopographyMapStore(std::move(defaultFile)) : TopographyMapStore()) {
    setObjectName(windowNibName);
    setWindowTitle("Topography Map");
    buildControls();
    buildGraph();
    displayedMap_ = store_.map();
    const std::size_t rows = displayedMap_->rowCount();
    generatePlots(rows > 0 ? static_cast<int>(std::min<std::size_t>(rows, maximumPlots)) : emptyMapPlots);
    updateButtons();
}

TopographyMappingWindowController::~TopographyMappingWindowController() {
    if (run_->inProgress.load()) {
        run_->cancelled->store(true);
    }
    // A field losing its focus while the window goes must not commit into it.
    for (const auto& entry : fields_) {
        QObject::disconnect(entry.second, nullptr, this, nullptr);
    }
}

// ---- Views --------------------------------------------------------------------------------

void TopographyMappingWindowController::buildControls() {
    auto* form = new QFormLayout();
    const auto addField = [&](const char* key, const char* label) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(key);
        connect(edit, &QLineEdit::editingFinished, this, [this] { commitFields(); });
        fields_.emplace_back(key, edit);
        form->addRow(label, edit);
    };
    addField(TopographyMappingSettings::distanceInXKey, "Distance in X (µm)");
    addField(TopographyMappingSettings::distanceInYKey, "Distance in Y (µm)");
    addField(TopographyMappingSettings::stepSizeInXKey, "Step size in X (µm)");
    addField(TopographyMappingSettings::stepSizeInYKey, "Step size in Y (µm)");
    addField(TopographyMappingSettings::distanceToRetractKey, "Retraction distance (µm)");
    correctionCheckBox_ = new QCheckBox("Correct printing by the topography map", this);
    correctionCheckBox_->setObjectName(TopographyMappingSettings::shouldCorrectKey);
    connect(correctionCheckBox_, &QCheckBox::toggled, this,
            [this](bool on) { setShouldCorrectBasedOnTopographyMap(on); });
    form->addRow(correctionCheckBox_);

    mappingButton_ = new QPushButton(idleButtonTitle, this);
    mappingButton_->setObjectName("topographyMappingButton");
    exportButton_ = new QPushButton("Export…", this);
    exportButton_->setObjectName("exportTopographyMap");
    importButton_ = new QPushButton("Import…", this);
    importButton_->setObjectName("importTopographyMap");
    clearButton_ = new QPushButton("Clear", this);
    clearButton_->setObjectName("clearTopographyMap");
    connect(mappingButton_, &QPushButton::clicked, this, [this] { mapSurfaceTopography(); });
    connect(exportButton_, &QPushButton::clicked, this, [this] { exportTopographyMap(); });
    connect(importButton_, &QPushButton::clicked, this, [this] { importTopographyMap(); });
    connect(clearButton_, &QPushButton::clicked, this, [this] { clearTopographyMap(); });

    auto* buttons = new QHBoxLayout();
    buttons->addWidget(mappingButton_);
    buttons->addStretch(1);
    buttons->addWidget(exportButton_);
    buttons->addWidget(importButton_);
    buttons->addWidget(clearButton_);
    auto* side = new QVBoxLayout();
    side->addLayout(form);
    side->addStretch(1);

    graphView_ = new QChartView(this);
    graphView_->setObjectName("topographyMapGraphView");
    graphView_->setMinimumSize(520, 420);
    auto* top = new QHBoxLayout();
    top->addLayout(side);
    top->addWidget(graphView_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    showSettings();
}

void TopographyMappingWindowController::buildGraph() {
    QChart* chart = installCalibrationChart(*graphView_);
    xAxis_ = makeCalibrationAxis(0.0, 1.0, 0.0, 1.0, 2, "X (µm)");
    // Labels at 45 degrees, rising to the right (Qt turns positive angles clockwise).
    xAxis_->setLabelsAngle(-45);
    // Qt measures a slanted label by its upright width against the space
    // between ticks and would cut all but the first to "…"; slanted labels
    // stand side by side in far less.
    xAxis_->setTruncateLabels(false);
    yAxis_ = makeCalibrationAxis(0.0, 1.0, 0.0, 1.0, 5, "Y (µm)");
    // Row 0 at the top.
    yAxis_->setReverse(true);
    chart->addAxis(xAxis_, Qt::AlignBottom);
    chart->addAxis(yAxis_, Qt::AlignLeft);
}

QLineEdit* TopographyMappingWindowController::field(const char* key) const {
    for (const auto& [name, edit] : fields_) {
        if (std::string(name) == key) {
            return edit;
        }
    }
    return nullptr;
}

void TopographyMappingWindowController::showSettings() {
    const auto show = [this](const char* key, double value) {
        if (QLineEdit* edit = field(key)) {
            edit->setText(QString::fromStdString(Zovudidova::formatDouble(value)));
        }
    };
    show(TopographyMappingSettings::distanceInXKey, distanceToMapTopographyInX());
    show(TopographyMappingSettings::distanceInYKey, distanceToMapTopographyInY());
    show(TopographyMappingSettings::stepSizeInXKey, stepSizeToMapTopographyInX());
    show(TopographyMappingSettings::stepSizeInYKey, stepSizeToMapTopographyInY());
    show(TopographyMappingSettings::distanceToRetractKey, distanceToRetract());
    const QSignalBlocker blocker(correctionCheckBox_);
    correctionCheckBox_->setChecked(shouldCorrectBasedOnTopographyMap());
}

void TopographyMappingWindowController::commitFields() {
    using Setter = void (TopographyMappingWindowController::*)(double);
    const std::pair<const char*, Setter> setters[] = {
        {TopographyMappingSettings::distanceInXKey, &TopographyMappingWindowController::setDistanceToMapTopographyInX},
        {TopographyMappingSettings::distanceInYKey, &TopographyMappingWindowController::setDistanceToMapTopographyInY},
        {TopographyMappingSettings::stepSizeInXKey, &TopographyMappingWindowController::setStepSizeToMapTopographyInX},
        {TopographyMappingSettings::stepSizeInYKey, &TopographyMappingWindowController::setStepSizeToMapTopographyInY},
        {TopographyMappingSettings::distanceToRetractKey, &TopographyMappingWindowController::setDistanceToRetract},
    };
    for (const auto& [key, setter] : setters) {
        const std::string text = field(key)->text().trimmed().toStdString();
        // An emptied (or unreadable) field keeps the value in force.
        if (const auto value = Zovudidova::parseDouble(text)) {
            (this->*setter)(*value);
        }
    }
    showSettings();
}

void TopographyMappingWindowController::updateButtons() {
    const bool running = isTopographyMappingInProgress();
    importButton_->setEnabled(!running);
    clearButton_->setEnabled(!running);
}

// ---- Settings --------------------------------------------------------------------------------

void TopographyMappingWindowController::setDistanceToMapTopographyInX(double value) {
    settings_.setDistanceToMapTopographyInX(value);
}
void TopographyMappingWindowController::setDistanceToMapTopographyInY(double value) {
    settings_.setDistanceToMapTopographyInY(value);
}
void TopographyMappingWindowController::setStepSizeToMapTopographyInX(double value) {
    settings_.setStepSizeToMapTopographyInX(value);
}
void TopographyMappingWindowController::setStepSizeToMapTopographyInY(double value) {
    settings_.setStepSizeToMapTopographyInY(value);
}
void TopographyMappingWindowController::setDistanceToRetract(double value) { settings_.setDistanceToRetract(value); }
void TopographyMappingWindowController::setShouldCorrectBasedOnTopographyMap(bool value) {
    settings_.setShouldCorrectBasedOnTopographyMap(value);
}

// ---- Plots -----------------------------------------------------------------------------------

void TopographyMappingWindowController::generatePlots(int n) {
    n = std::clamp(n, 1, maximumPlots);
    QChart* chart = graphView_->chart();
    for (QLineSeries* plot : topographyPlots_) {
        chart->removeSeries(plot);
        delete plot;
    }
    topographyPlots_.clear();
    if (const auto multiplier = fittingPlotMultiplier(*displayedMap_, stepSizeToMapTopographyInY())) {
        plotMultiplier_ = *multiplier;
    }
    const TopographyGridExtent& grid = settings_.grid();
    setCalibrationAxisRange(*xAxis_, 0.0, grid.distanceInX, 0.0, xLabelInterval(grid));
    setCalibrationAxisRange(*yAxis_, 0.0, grid.distanceInY, 0.0, grid.distanceInY);

    QPen pen(lineColour, 1.0);
    for (int i = 0; i < n; ++i) {
        auto* plot = new QLineSeries;
        plot->setName(QString("Plot number %1").arg(i));
        plot->setPen(pen);
        plot->setPointsVisible(true);
        plot->setMarkerSize(markerSize);
        chart->addSeries(plot);
        plot->attachAxis(xAxis_);
        plot->attachAxis(yAxis_);
        topographyPlots_.push_back(plot);
    }
    reloadAllPlots();
}

void TopographyMappingWindowController::reloadPlot(std::size_t row) {
    if (row >= topographyPlots_.size()) {
        return;
    }
    const TopographyPlotScale scale = TopographyPlotScale::of(*displayedMap_, plotMultiplier_);
    QList<QPointF> points;
    for (const Coordinate& point : displayedMap_->row(row)) {
        const TopographyPlotPoint plotted = topographyPlotPoint(point, scale);
        points.append(QPointF(static_cast<double>(plotted.x), static_cast<double>(plotted.y)));
    }
    topographyPlots_[row]->replace(points);
}

void TopographyMappingWindowController::reloadAllPlots() {
    for (std::size_t row = 0; row < topographyPlots_.size(); ++row) {
        reloadPlot(row);
    }
}

void TopographyMappingWindowController::recordPoint(const Coordinate& point) {
    const TopographyPlotScale before = TopographyPlotScale::of(*displayedMap_, plotMultiplier_);
    displayedMap_->addPoint(point);
    if (const auto multiplier = fittingPlotMultiplier(*displayedMap_, stepSizeToMapTopographyInY())) {
        plotMultiplier_ = *multiplier;
    }
    // A row the grid did not foresee (a position reported slightly off its
    // row's Y) gets a plot of its own.
    const std::size_t rows = displayedMap_->rowCount();
    if (rows > topographyPlots_.size() && topographyPlots_.size() < static_cast<std::size_t>(maximumPlots)) {
        generatePlots(static_cast<int>(std::min<std::size_t>(rows, maximumPlots)));
        return;
    }
    const TopographyPlotScale after = TopographyPlotScale::of(*displayedMap_, plotMultiplier_);
    if (before.minimumX != after.minimumX || before.minimumY != after.minimumY ||
        before.minimumZ != after.minimumZ || before.yGridSpacing != after.yGridSpacing ||
        before.plotMultiplier != after.plotMultiplier) {
        // Every point of the graph moves.
        reloadAllPlots();
    } else if (const auto row = displayedMap_->rowIndex(point.y); row && *row < topographyPlots_.size()) {
        // The point went to the end of its row: its plot gains the one point.
        const TopographyPlotPoint plotted = topographyPlotPoint(point, after);
        topographyPlots_[*row]->append(static_cast<double>(plotted.x), static_cast<double>(plotted.y));
    }
}

// ---- Mapping ---------------------------------------------------------------------------------

bool TopographyMappingWindowController::gridAccepted() {
    try {
        settings_.grid().size();
        return true;
    } catch (const std::invalid_argument& error) {
        presentError({.content = oneButtonAlert("The surface cannot be mapped with this grid.",
                                                std::string(error.what()) +
                                                    ". Change the distances or the step sizes and try again."),
                      .defaultAction = {},
                      .alternateAction = {}});
        return false;
    }
}

void TopographyMappingWindowController::mapSurfaceTopography() {
    commitFields();
    if (isTopographyMappingInProgress()) {
        mappingButton_->setText(idleButtonTitle);
        run_->cancelled->store(true);
        return;
    }
    if (!robot_ || !electronics_) {
        Diagnostics::printWithContext("Topography mapping needs the robot and the electronics");
        return;
    }
    if (!gridAccepted()) {
        return;
    }
    mappingButton_->setText(cancelButtonTitle);
    run_->cancelled->store(false);
    run_->inProgress.store(true);
    updateButtons();

    const Coordinate start = robot_->currentCoordinate();
    const int rows = static_cast<int>(settings_.grid().size().rows);
    displayedMap_ = std::make_shared<SurfaceTopographyMap>();
    plotMultiplier_ = 10.0;
    generatePlots(rows);

    const QPointer<TopographyMappingWindowController> window(this);
    TopographyMappingRun run{.robot = robot_,
                             .electronics = electronics_,
                             .recalibrationOperation = recalibration_,
                             .grid = settings_.grid(),
                             .cancelled = run_->cancelled,
                             .pointMeasured = [window](const Coordinate& point) {
                                 MainQueue::main().async([window, point] {
                                     if (window) {
                                         window->recordPoint(point);
                                     }
                                 });
                             }};
    robot_->runOnRoboticsQueue([run = std::move(run), start, window, state = run_, handler = errorHandler_] {
        const std::exception_ptr error = run.run(start, [window](std::shared_ptr<SurfaceTopographyMap> map) {
            MainQueue::main().async([window, map = std::move(map)] {
                if (window) {
                    window->adoptCompletedMap(map);
                }
            });
        });
        if (error && handler) {
            handler(error);
        }
        state->inProgress.store(false);
        MainQueue::main().async([window] {
            if (window) {
                window->mappingButton_->setText(idleButtonTitle);
                window->updateButtons();
            }
        });
    });
}

void TopographyMappingWindowController::performSurfaceTopographyMapping() {
    const QPointer<TopographyMappingWindowController> window(this);
    const auto toMain = [window](std::function<void(TopographyMappingWindowController&)> work) {
        onMain([window, work = std::move(work)] {
            if (window) {
                work(*window);
            }
        });
    };
    const TopographyMappingRun run{
        .robot = robot_,
        .electronics = electronics_,
        .recalibrationOperation = recalibration_,
        .grid = settings_.grid(),
        .cancelled = run_->cancelled,
        .pointMeasured = [toMain](const Coordinate& point) {
            toMain([point](TopographyMappingWindowController& w) { w.recordPoint(point); });
        }};
    auto map = run.measureGrid();
    toMain([map = std::move(map)](TopographyMappingWindowController& w) { w.adoptCompletedMap(map); });
}

void TopographyMappingWindowController::adoptCompletedMap(std::shared_ptr<SurfaceTopographyMap> map) {
    store_.adopt(std::move(map));
    displayedMap_ = store_.map();
    generatePlots(static_cast<int>(std::min<std::size_t>(displayedMap_->rowCount(), maximumPlots)));
}

// ---- Files -------------------------------------------------------------------------------------

void TopographyMappingWindowController::exportTopographyMap() {
    const auto chooser = currentSaveFileChooser();
    const auto file = chooser ? chooser->chooseSaveFile({nameFilter, "csv", SurfaceTopographyMap::fileName})
                              : std::nullopt;
    if (!file) {
        return;
    }
    try {
        store_.exportTo(*file);
    } catch (const std::exception& error) {
        Diagnostics::printWithContext(std::string("Export of the topography map failed: ") + error.what());
        presentError({.content = oneButtonAlert("Could not save topography map.",
                                                "The topography map could not be saved. Make sure the file path "
                                                "is writable and that the hard drive isn't full."),
                      .defaultAction = {},
                      .alternateAction = {}});
    }
}

void TopographyMappingWindowController::importTopographyMap() {
    const auto chooser = currentOpenFileChooser();
    const auto file = chooser ? chooser->chooseOpenFile({nameFilter, {}}) : std::nullopt;
    if (!file) {
        return;
    }
    std::shared_ptr<SurfaceTopographyMap> map;
    try {
        map = TopographyMapStore::readForImport(*file);
    } catch (const std::exception& error) {
        Diagnostics::printWithContext(std::string("Import of the topography map failed: ") + error.what());
        presentError({.content = oneButtonAlert("Could not load topography map.",
                                                "The topography map could not be loaded. The file might be "
                                                "corrupt or otherwise inaccessible."),
                      .defaultAction = {},
                      .alternateAction = {}});
        return;
    }
    if (const auto spacing = map->xGridSpacing()) {
        setStepSizeToMapTopographyInX(*spacing);
    }
    if (const auto spacing = map->yGridSpacing()) {
        setStepSizeToMapTopographyInY(*spacing);
    }
    const auto extent = [](std::optional<double> minimum, std::optional<double> maximum) -> std::optional<double> {
        if (minimum && maximum && *maximum - *minimum > 0.0) {
            return *maximum - *minimum;
        }
        return std::nullopt;
    };
    if (const auto distance = extent(map->minimumX(), map->maximumX())) {
        setDistanceToMapTopographyInX(*distance);
    }
    if (const auto distance = extent(map->minimumY(), map->maximumY())) {
        setDistanceToMapTopographyInY(*distance);
    }
    showSettings();
    adoptCompletedMap(std::move(map));
}

void TopographyMappingWindowController::clearTopographyMap() {
    store_.clear();
    displayedMap_ = store_.map();
    generatePlots(emptyMapPlots);
}

} // namespace Dotfield
