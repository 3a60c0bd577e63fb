#pragma once
// The surface-cant calibration, without the window: it measures how the
// printing surface is tilted against X and Y and keeps the result as the
// surface cant that printing corrects its heights by.
//
// Two ways lead to the cant. A run (startOrStopSurfaceCantCalibration) finds
// the surface at five points along each axis on the robot's queue; at its end
// the points are stored and fitted. Or the operator records an upper-left, an
// upper-right and a lower-left point by hand and uses them: upper left to
// upper right gives the X slope, upper left to lower left the Y slope. The
// points, the manual points and the two line lengths are kept in the settings
// store, so the last calibration survives a restart; surfaceCant() read before
// anything was fitted is fitted from the stored points.
//
// A run that is cancelled returns the positioner to where it started, at that
// height, and keeps neither its points nor a new cant; a run that fails hands
// its error to the error handler and leaves the positioner where it stopped.
// Cancellation needs no alert.
//
// Threads: everything public runs on the main thread, except where noted. The
// run keeps its own point lists on the robot's queue and posts each point to
// the main thread, where the lists shown, the saving and the fitting live. The
// run state is shared with the robot's queue through atomics.

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Dotfield/Calibration/SurfaceCant/SurfaceCantCalibrationDisplay.hpp"
#include "Dotfield/Calibration/SurfaceCant/SurfaceCantMeasurement.hpp"
#include "Dotfield/Robotics/SurfaceCant.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

class Electronics;
class Robot;
class UserDefaults;

class SurfaceCantCalibration : public std::enable_shared_from_this<SurfaceCantCalibration> {
  public:
    using Coordinate = VeltranePatterns::Coordinate;
    using ErrorHandler = std::function<void(std::exception_ptr)>;

    static constexpr const char* calibrateTitle = "Calibrate surface cant";
    static constexpr const char* cancelTitle = "Cancel";
    static constexpr const char* missingPointText = "Missing";

    // Reads the distances, the manual points and the stored calibration points.
    static std::shared_ptr<SurfaceCantCalibration> create(std::shared_ptr<UserDefaults> userDefaults);
    SurfaceCantCalibration(const SurfaceCantCalibration&) = delete;
    SurfaceCantCalibration& operator=(const SurfaceCantCalibration&) = delete;

    // ---- Collaborators ----------------------------------------------------------------

    const std::shared_ptr<Robot>& robot() const { return robot_; }
    void setRobot(std::shared_ptr<Robot> robot);
    void setElectronics(std::shared_ptr<Electronics> electronics);
    void setRecalibrationOperationForSurfaceFinding(std::function<void()> operation);
    // Receives the failures of a run (on the robot's queue) and of a position
    // read (on the main thread).
    void setErrorHandler(ErrorHandler handler);
    // The window; null detaches it.
    void setDisplay(SurfaceCantCalibrationDisplay* display);
    // From now on the robot's busy state sets robotReadyToMove: ready when idle,
    // and during this calibration's own run.
    void observeRobotReadiness();

    // ---- State ----------------------------------------------------------------------------

    bool dispenserConnected() const { return dispenserConnected_; }
    void setDispenserConnected(bool connected);
    bool robotReadyToMove() const { return robotReadyToMove_; }
    void setRobotReadyToMove(bool ready);
    // Any thread.
    bool isCalibrationInProcess() const { return isCalibrationInProcess_.load(); }
    bool hasCalibrationBeenCancelled() const { return hasCalibrationBeenCancelled_.load(); }
    // "Cancel" from the start of a run until it is asked to stop, otherwise
    // "Calibrate surface cant".
    std::string calibrateButtonTitle() const { return buttonShowsCancel_ ? cancelTitle : calibrateTitle; }

    double distanceToCalibrateInX() const { return distanceToCalibrateInX_; }
    double distanceToCalibrateInY() const { return distanceToCalibrateInY_; }
    // Stored at once; a distance that is 0 or not a finite number is ignored.
    void setDistanceToCalibrateInX(double distance);
    void setDistanceToCalibrateInY(double distance);

    const std::optional<Coordinate>& manualPoint(ManualCalibrationPoint point) const;
    // "Missing", or the point's description.
    std::string manualPointText(ManualCalibrationPoint point) const;
    bool areAllManualPointsSet() const { return areAllManualPointsSet_; }

    const std::vector<Coordinate>& calibratedPointsForX() const { return calibratedPointsForX_; }
    const std::vector<Coordinate>& calibratedPointsForY() const { return calibratedPointsForY_; }
    const std::vector<Coordinate>& slopeLinePointsForX() const { return slopeLinePointsForX_; }
    const std::vector<Coordinate>& slopeLinePointsForY() const { return slopeLinePointsForY_; }
    // The cant of the points last fitted; fitted from the stored points on
    // the first read when nothing was fitted yet.
    SurfaceCant surfaceCant();

    // ---- Enabling -----------------------------------------------------------------------

    // Stop during a run; start when the robot is ready and a dispenser connected.
    bool canStartOrStop() const;
    // Recording a manual point: the robot ready and no run under way.
    bool canSetManualPosition() const;
    bool canUseManualCalibrationPoints() const { return areAllManualPointsSet_; }

    // ---- Actions --------------------------------------------------------------------------

    // Starts a run, or asks the running one to stop at its next check.
    void startOrStopSurfaceCantCalibration();
    // Reads the positioner's position on the robot's queue and records it as the point.
    void setManualPosition(ManualCalibrationPoint point);
    // The manual points become the calibration points, stored and fitted; does
    // nothing while a point is missing.
    void useManualCalibrationPoints();
    // Forgets the three manual points; a calibration from manual points (fewer
    // than 3 points along X) is emptied too, a measured one stays.
    void clearManualCalibration();
    // Stores both point lists, fits them and reloads both graphs.
    void savePointsAndRefreshGraph();
    // Fits both lists: surfaceCant, the slope labels and the fitted lines.
    void updateCalibratedSlopes();

  private:
    explicit SurfaceCantCalibration(std::shared_ptr<UserDefaults> userDefaults);

    std::optional<Coordinate>& manualPointField(ManualCalibrationPoint point);
    void changeManualPoint(ManualCalibrationPoint point, std::optional<Coordinate> value);
    void updateStatusOfAllManualCalibrationPoints();
    void stateChanged();

    // The run on the robot's queue, and the steps it posts to the main thread.
    void runCalibration(const std::shared_ptr<Robot>& robot, const std::shared_ptr<Electronics>& electronics,
                        const std::function<void()>& recalibrationOperation, const ErrorHandler& errorHandler,
                        double distanceInX, double distanceInY);
    void runStarted();
    void startPointMeasured(const Coordinate& point);
    void pointMeasured(SurfaceCantAxis axis, const Coordinate& point);
    void linesMeasured(const SurfaceCantPoints& points);
    void runEnded();
    // Runs the step on the main thread: at once there, else posted.
    void onMainThread(std::function<void(SurfaceCantCalibration&)> step);

    const std::shared_ptr<UserDefaults> userDefaults_;
    std::shared_ptr<Robot> robot_;
    std::shared_ptr<Electronics> electronics_;
    std::function<void()> recalibrationOperationForSurfaceFinding_;
    ErrorHandler errorHandler_;
    SurfaceCantCalibrationDisplay* display_ = nullptr;

    std::atomic<bool> isCalibrationInProcess_{false};
    std::atomic<bool> hasCalibrationBeenCancelled_{false};
    bool buttonShowsCancel_ = false;
    bool dispenserConnected_ = false;
    bool robotReadyToMove_ = false;
    bool areAllManualPointsSet_ = false;

    std::optional<Coordinate> upperLeftManualCalibrationPoint_;
    std::optional<Coordinate> upperRightManualCalibrationPoint_;
    std::optional<Coordinate> lowerLeftManualCalibrationPoint_;
    double distanceToCalibrateInX_;
    double distanceToCalibrateInY_;
    std::vector<Coordinate> calibratedPointsForX_;
    std::vector<Coordinate> calibratedPointsForY_;
    std::vector<Coordinate> slopeLinePointsForX_;
    std::vector<Coordinate> slopeLinePointsForY_;
    std::optional<SurfaceCant> surfaceCant_;
};

} // namespace Dotfield
