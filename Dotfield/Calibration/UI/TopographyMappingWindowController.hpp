#pragma once
// The topography mapping window: the operator sets the grid (extent and
// spacing in X and Y from the robot's position), maps the surface height at
// every grid point by surface finding, sees each row drawn as a line as its
// points arrive, and exports, imports or clears the map. The map in force
// (TopographyMapStore) is what printing corrects heights by, while
// "shouldCorrectBasedOnTopographyMap" is on.
//
// A run: the grid is checked first (a grid that cannot be mapped is refused
// with an alert before anything moves); the graph starts empty with one line
// per row; the run measures on the robot's queue and sends each point to the
// graph; a completed run puts its map in force and writes the default file,
// then the robot returns to the start point at its height. A cancel (the
// button again) ends the run after the surface finding under way and returns
// to the start without an alert; a failure goes to the error handler and the
// robot stays. Either way the map in force stays as it was; the points
// measured stay on the graph only.
//
// Threads: main thread; the run on the robot's queue.

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include <QWidget>

#include "Dotfield/Calibration/TopographyMapping/TopographyMapStore.hpp"
#include "Dotfield/Calibration/TopographyMapping/TopographyMappingSettings.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

QT_BEGIN_NAMESPACE
class QChartView;
class QCheckBox;
class QLineEdit;
class QLineSeries;
class QPushButton;
class QValueAxis;
QT_END_NAMESPACE

namespace Dotfield {

class Electronics;
class Robot;
class SurfaceTopographyMap;
class UserDefaults;

class TopographyMappingWindowController final : public QWidget {
    Q_OBJECT
    Q_PROPERTY(double distanceToMapTopographyInX READ distanceToMapTopographyInX WRITE setDistanceToMapTopographyInX)
    Q_PROPERTY(double distanceToMapTopographyInY READ distanceToMapTopographyInY WRITE setDistanceToMapTopographyInY)
    Q_PROPERTY(double stepSizeToMapTopographyInX READ stepSizeToMapTopographyInX WRITE setStepSizeToMapTopographyInX)
    Q_PROPERTY(double stepSizeToMapTopographyInY READ stepSizeToMapTopographyInY WRITE setStepSizeToMapTopographyInY)
    Q_PROPERTY(double distanceToRetract READ distanceToRetract WRITE setDistanceToRetract)
    Q_PROPERTY(bool shouldCorrectBasedOnTopographyMap READ shouldCorrectBasedOnTopographyMap WRITE
                   setShouldCorrectBasedOnTopographyMap)

  public:
    using ErrorHandler = std::function<void(std::exception_ptr)>;

    static constexpr const char* windowNibName = "TopographyMappingWindowController";
    static constexpr const char* idleButtonTitle = "Map surface topography";
    static constexpr const char* cancelButtonTitle = "Cancel";
    // Plots of a window without map rows.
    static constexpr int emptyMapPlots = 10;
    // The most rows the graph draws: a map file of a million rows (which
    // reads fine) would otherwise ask for a million plots.
    static constexpr int maximumPlots = 1000;

    // The default map file in the application's folder unless another is given.
    explicit TopographyMappingWindowController(std::shared_ptr<UserDefaults> userDefaults,
                                               TopographyMapStore::DefaultFileLocation defaultFile = {},
                                               QWidget* parent = nullptr);
    // Asks a running mapping to stop.
    ~TopographyMappingWindowController() override;

    // ---- Collaborators --------------------------------------------------------------

    void setRobot(std::shared_ptr<Robot> robot) { robot_ = std::move(robot); }
    void setElectronics(std::shared_ptr<Electronics> electronics) { electronics_ = std::move(electronics); }
    void setErrorHandler(ErrorHandler handler) { errorHandler_ = std::move(handler); }
    void setRecalibrationOperationForSurfaceFinding(std::function<void()> operation) {
        recalibration_ = std::move(operation);
    }

    // ---- Settings (each change is stored at once) ------------------------------------------

    double distanceToMapTopographyInX() const { return settings_.grid().distanceInX; }
    double distanceToMapTopographyInY() const { return settings_.grid().distanceInY; }
    double stepSizeToMapTopographyInX() const { return settings_.grid().stepSizeInX; }
    double stepSizeToMapTopographyInY() const { return settings_.grid().stepSizeInY; }
    double distanceToRetract() const { return settings_.distanceToRetract(); }
    bool shouldCorrectBasedOnTopographyMap() const { return settings_.shouldCorrectBasedOnTopographyMap(); }
    void setDistanceToMapTopographyInX(double value);
    void setDistanceToMapTopographyInY(double value);
    void setStepSizeToMapTopographyInX(double value);
    void setStepSizeToMapTopographyInY(double value);
    void setDistanceToRetract(double value);
    void setShouldCorrectBasedOnTopographyMap(bool value);

    // ---- The map ---------------------------------------------------------------------------------

    // The map in force, read from the default file on first use.
    std::shared_ptr<SurfaceTopographyMap> topographyMap() { return store_.map(); }
    // What a new pattern is given (nothing while correction is off or the map is empty).
    std::shared_ptr<const SurfaceTopographyMap> topographyMapForPrinting() {
        return store_.mapForPrinting(shouldCorrectBasedOnTopographyMap());
    }
    // The map the graph shows: the map in force, or the points of the run
    // under way or last cancelled.
    const std::shared_ptr<SurfaceTopographyMap>& displayedMap() const { return displayedMap_; }
    bool isTopographyMappingInProgress() const { return run_->inProgress.load(); }
    bool hasTopographyMappingBeenCancelled() const { return run_->cancelled->load(); }
    double plotMultiplier() const { return plotMultiplier_; }

    // ---- Actions ---------------------------------------------------------------------------------

    // Starts a run, or asks the running one to stop.
    void mapSurfaceTopography();
    // The whole grid from the robot's position on the calling thread (the
    // robot's queue), each point drawn; on success the map is put in force
    // and written to the default file. Throws what ends it.
    void performSurfaceTopographyMapping();
    void exportTopographyMap();
    void importTopographyMap();
    void clearTopographyMap();
    // Replaces every plot by n new ones (1 to maximumPlots) and sets the
    // ranges from the grid.
    void generatePlots(int n);
    // A measured point joins the graph: its row's plot is redrawn, or every
    // plot when the point moved the graph's scale; a row the grid did not
    // foresee (a position reported slightly off its row's Y) gets a plot of
    // its own.
    void recordPoint(const VeltranePatterns::Coordinate& point);

    // ---- Views ---------------------------------------------------------------------------------

    const std::vector<QLineSeries*>& topographyPlots() const { return topographyPlots_; }
    QChartView* topographyMapGraphView() const { return graphView_; }
    QPushButton* topographyMappingButton() const { return mappingButton_; }
    QPushButton* exportButton() const { return exportButton_; }
    QPushButton* importButton() const { return importButton_; }
    QPushButton* clearButton() const { return clearButton_; }
    QLineEdit* field(const char* key) const;
    QCheckBox* correctionCheckBox() const { return correctionCheckBox_; }

  private:
    // What the run on the robot's queue shares with the window, which may go first.
    struct RunState {
        std::atomic<bool> inProgress{false};
        std::shared_ptr<std::atomic<bool>> cancelled = std::make_shared<std::atomic<bool>>(false);
    };

    void buildControls();
    void buildGraph();
    // Commits the text of every grid field (an empty or unreadable one keeps its value).
    void commitFields();
    void showSettings();
    void updateButtons();
    // Main thread: a finished map is put in force and shown.
    void adoptCompletedMap(std::shared_ptr<SurfaceTopographyMap> map);
    void reloadPlot(std::size_t row);
    void reloadAllPlots();
    // Whether the grid can be mapped; otherwise the operator is told why.
    bool gridAccepted();

    TopographyMappingSettings settings_;
    TopographyMapStore store_;
    std::shared_ptr<SurfaceTopographyMap> displayedMap_;
    const std::shared_ptr<RunState> run_ = std::make_shared<RunState>();
    std::shared_ptr<Robot> robot_;
    std::shared_ptr<Electronics> electronics_;
    ErrorHandler errorHandler_;
    std::function<void()> recalibration_;
    double plotMultiplier_ = 10.0;

    QChartView* graphView_ = nullptr;
    QValueAxis* xAxis_ = nullptr;
    QValueAxis* yAxis_ = nullptr;
    std::vector<QLineSeries*> topographyPlots_;
    QPushButton* mappingButton_ = nullptr;
    QPushButton* exportButton_ = nullptr;
    QPushButton* importButton_ = nullptr;
    QPushButton* clearButton_ = nullptr;
    std::vector<std::pair<const char*, QLineEdit*>> fields_;
    QCheckBox* correctionCheckBox_ = nullptr;
};

} // namespace Dotfield
