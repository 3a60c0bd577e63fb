#pragma once
// The dispenser diagnostics window: the dispenser's sensor signal over the
// last 200 status samples against the threshold at 0.6, and, in an advanced
// panel that grows the window at its bottom, a table of the five status
// points: frequency, average, standard deviation, newest reading and a
// deviation bar from 0 to 20.
//
// The status poll hands every reading to updateWithNewReadings on its own
// thread; the window stores it and, while it is shown, queues one refresh on
// the main thread (never more than one waits). A hidden window refreshes when
// it is shown again. Without statistics (a dispenser not calibrated) the curve
// is empty and the statistics cells are blank.
//
// Threads: updateWithNewReadings on any thread; everything else on the main thread.

#include <memory>
#include <optional>

#include <QWidget>

#include "Dotfield/Calibration/Diagnostics/DispenserDiagnosticsFeed.hpp"

QT_BEGIN_NAMESPACE
class QChartView;
class QLineSeries;
class QPushButton;
class QTableWidget;
class QVBoxLayout;
QT_END_NAMESPACE

namespace Dotfield {

class Electronics;

class DispenserDiagnosticsController final : public QWidget {
    Q_OBJECT

  public:
    static constexpr const char* windowNibName = "DispenserDiagnosticsController";
    static constexpr double threshold = 0.6;

    explicit DispenserDiagnosticsController(QWidget* parent = nullptr);
    ~DispenserDiagnosticsController() override;

    void setElectronics(std::shared_ptr<Electronics> electronics) { electronics_ = std::move(electronics); }
    const std::shared_ptr<Electronics>& electronics() const { return electronics_; }

    // Any thread.
    void updateWithNewReadings(const DispenserStatusReading& readings,
                               const std::optional<DispenserStatistics>& statistics) {
        feed_->updateWithNewReadings(readings, statistics);
    }
    // What the poll is given to call (it outlives the window if need be).
    const std::shared_ptr<DispenserDiagnosticsFeed>& feed() const { return feed_; }
    void showOrHideAdvancedOptions();
    bool advancedOptionsViewCurrentlyVisible() const { return advancedOptionsVisible_; }
    // Redraws the curve, and the table while the panel shows.
    void reloadPlotsAndTable();

    const DispenserDiagnosticsHistory& history() const { return feed_->history(); }
    QChartView* graphView() const { return graphView_; }
    QLineSeries* sensorReadingPlot() const { return sensorReadingPlot_; }
    QLineSeries* thresholdPlot() const { return thresholdPlot_; }
    QWidget* advancedOptionsView() const { return advancedOptionsView_; }
    QTableWidget* detailTable() const { return detailTable_; }
    QPushButton* advancedOptionsButton() const { return advancedOptionsButton_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void buildGraph();
    void buildAdvancedOptions();
    void reloadTable(const DispenserDiagnosticsHistory::Snapshot& snapshot);
    void placeAdvancedOptions();

    const std::shared_ptr<DispenserDiagnosticsFeed> feed_;
    std::shared_ptr<Electronics> electronics_;
    bool advancedOptionsVisible_ = false;

    QVBoxLayout* layout_ = nullptr;
    QChartView* graphView_ = nullptr;
    QLineSeries* sensorReadingPlot_ = nullptr;
    QLineSeries* thresholdPlot_ = nullptr;
    QPushButton* advancedOptionsButton_ = nullptr;
    QWidget* advancedOptionsView_ = nullptr;
    QTableWidget* detailTable_ = nullptr;
};

} // namespace Dotfield
