#pragma once
// The root of every XYZ positioner. It owns what all models share: the settings
// they start from (safe heights, speeds, offsets, home position), the link to
// the controllers, the one serial queue every motion operation runs on, the
// last known position, and the observers the windows use to learn that the
// robot is busy. It declares the motion operations each model supplies; the
// base versions of those stop the program, naming the missing operation.
//
// Positions are microns. Velocities and accelerations are the numbers stored in
// the settings; each model turns them into its controllers' units.
//
// Construction runs in two phases so that a model's overrides are in force when
// the settings are read: make a robot with Robot::make<Model>(...), which builds
// the model and then reads the settings through it.
//
// Threads: all controller traffic runs on serialDispatchQueue(). The fields
// behind accessors may be read and written from any thread; movementAborted is
// the flag the main thread raises while a move runs on the robot queue.
// Observers are copied out of the lock before they are called.

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/Clock.hpp"
#include "Dotfield/Platform/SerialQueue.hpp"
#include "Dotfield/Instrument/Axes/MotorPosition.hpp"
#include "Dotfield/Robotics/SurfaceCant.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"
#include "VeltranePatterns/Source/Items/RotationalDirection.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

class SurfaceTopographyMap;
class TunableValues;

class Robot : public SerialDispatch, public std::enable_shared_from_this<Robot> {
  public:
    using Coordinate = VeltranePatterns::Coordinate;
    using AxisFlags = VeltranePatterns::AxisFlags;
    using CoordinateUpdateObserver = std::function<void(const Coordinate&)>;
    // Told true when a robot operation is queued and false when it has ended.
    using MovementCompletionObserver = std::function<void(bool)>;
    // Finds, opens and sets up the adapter of a link (openSerialPort in the application).
    using SerialPortOpener = std::function<std::shared_ptr<SerialPort>(const SerialPortProperties&)>;
    // Receives the position read, or the error that ended the read.
    using PositionReadCompletion =
        std::function<void(const std::optional<Coordinate>& position, std::exception_ptr error)>;

    static constexpr const char* queueLabel = "com.veltrane.Dotfield.roboticsCommunicationQueue";
    // An axis is commanded only when its target differs by more than this (µm).
    static constexpr double movementMargin = 0.5;
    // The travel height stays this far (µm) below the top of the Z travel.
    static constexpr double travelHeightCapBelowMaximum = 1000.0;

  protected:
    // Only Robot::make creates one, so every robot has read its settings.
    class ConstructionKey {
        ConstructionKey() = default;
        friend class Robot;
    };

  public:
    // Builds the model with (key, args...), then reads the robot's settings
    // through the finished model.
    template <typename Model, typename... Arguments>
    static std::shared_ptr<Model> make(Arguments&&... arguments) {
        auto robot = std::make_shared<Model>(ConstructionKey{}, std::forward<Arguments>(arguments)...);
        robot->readSettings();
        return robot;
    }

    // The first phase: fields at their starting values, the queue created.
    // The clock times the waits that are given a time limit.
    Robot(ConstructionKey key, std::shared_ptr<UserDefaults> userDefaults,
          std::shared_ptr<Clock> clock = systemClock());
    ~Robot() override;
    Robot(const Robot&) = delete;
    Robot& operator=(const Robot&) = delete;

    // ---- Model constants (read-only; a model overrides those that differ) --------

    virtual double defaultSafePickupHeight() const;
    // Motor counts.
    virtual Coordinate rangeOfMotion() const;
    virtual Coordinate minimumMotorPosition() const;
    virtual Coordinate maximumMotorPosition() const;
    virtual double surfaceApproachStepSize() const;
    virtual double slowSurfaceApproachStepSize() const;
    virtual double surfaceRetractionStepSize() const;
    // Microns per motor count.
    virtual double motorScaleFactor() const;
    // (−offset.x, −offset.y, motorScaleFactor × rangeOfMotion.z − offset.z), offset
    // being offsetFromHomePositionToLimit.
    virtual Coordinate homeToLimitOffsetInMicrons() const;

    // ---- Link -------------------------------------------------------------------

    // Opens and sets up the model's link with the given operation. Throws.
    virtual std::shared_ptr<SerialPort> retrieveSerialPort(const SerialPortOpener& openSerialPort);
    virtual void disconnectFromSerialPort();

    // ---- Motion -----------------------------------------------------------------

    // The target (motor coordinates) limited to the model's travel on that axis;
    // allMotors stops the program.
    virtual double clampedDistance(double distance, MotorPosition motor);
    // Targets in the model's motor coordinates. Throw.
    virtual void moveMotor(MotorPosition motor, double toPosition);
    virtual void moveXandYMotorsToPosition(double xPosition, double yPosition);
    virtual void haltMovement();
    // The position the controllers report, in microns; does not store it. Throws.
    virtual Coordinate readCurrentPosition();
    // True for each axis asked for that is still moving. Throws.
    virtual AxisFlags checkIfAxesAreMoving(bool x, bool y, bool z, bool isHoming);
    virtual void clearPositionerErrorForMotor(MotorPosition motor);
    // A straight line to the target with the pattern-printing speeds (or the
    // overrides); the map, when given, corrects the height. Throws.
    virtual void drawLineToCoordinate(const Coordinate& coordinate,
                                      const std::shared_ptr<SurfaceTopographyMap>& topographyMap,
                                      std::optional<double> overrideVelocity,
                                      std::optional<double> overrideAcceleration);
    // An arc of a pattern, corrected by the pattern's placement. Throws.
    virtual void drawArc(const Zovudidova::Angle& from, const Zovudidova::Angle& to,
                         const Coordinate& centerPoint, double radius,
                         VeltranePatterns::RotationalDirection direction, const Coordinate& patternStart,
                         const SurfaceCant& surfaceCant, double scaleFactor,
                         const Zovudidova::Angle& rotation,
                         const std::shared_ptr<SurfaceTopographyMap>& topographyMap,
                         std::optional<double> overrideVelocity, std::optional<double> overrideAcceleration);
    virtual bool needsToHome();
    // Homes the positioner and answers the position read at the end. Throws.
    virtual Coordinate home();

    // ---- Speeds and tuning ----------------------------------------------------------

    virtual void setVelocity(double velocity, MotorPosition motor);
    virtual void setAcceleration(double acceleration, MotorPosition motor);
    // What the axis's controller really runs at when given this velocity or
    // acceleration (a controller with coarse or bounded settings): a line
    // proportions its other axes to what its leading axis really does. The
    // value given, unless a model says otherwise.
    virtual double attainedVelocity(double velocity, MotorPosition motor) const;
    virtual double attainedAcceleration(double acceleration, MotorPosition motor) const;
    // Velocities of X, Y, Z, then accelerations of X, Y, Z; the first error stops
    // the sequence and is passed on.
    virtual void setMovementParameters(const AxisValues& velocities, const AxisValues& accelerations);
    virtual void useManualPositioningMovementParameters();
    virtual void usePatternPrintingMovementParameters();
    virtual void updateMotorTuningParameters();
    // The model's tuning values and their description (TuningDescription.hpp);
    // none for a model without any.
    virtual TunableValues* tunableValues() { return nullptr; }

    // ---- Conversions ------------------------------------------------------------------

    // Microns to the model's motor coordinates.
    virtual double convertPositionToMotorCoordinateSpaceInX(double position);
    virtual double convertPositionToMotorCoordinateSpaceInY(double position);
    virtual double convertPositionToMotorCoordinateSpaceInZ(double position);
    // (0, plateNumber × the model's plate pitch, 0).
    virtual Coordinate offsetForA1WellOfPlateNumber(std::uint64_t plateNumber);

    // ---- The queue and the busy state --------------------------------------------------

    // Calls every movement-completion observer, in list order, on the calling thread.
    virtual void notifyMovementStarted();
    virtual void notifyMovementFinished();
    // Tells the observers true on the main thread, runs the operation on the robot
    // queue after the operations queued before it, then tells them false on the
    // main thread (also when the operation ended by an error). Returns at once.
    virtual void runOnRoboticsQueue(std::function<void()> operation);

    // ---- Operations no model overrides ----------------------------------------------

    // Inclusive test against minimumMotorPosition and maximumMotorPosition.
    bool isCoordinateWithinLimits(const Coordinate& coordinate) const;

    // Moves every axis that differs by more than the margin, Z first, then waits
    // for them; the position becomes the target. Throws; a target that is not
    // finite is refused with RoboticsError.abortedDuringMove before anything is sent.
    void moveToPosition(const Coordinate& target);
    // Lifts to the travel height, crosses in X and Y, then lowers to the target,
    // telling the position observer after each leg. Throws as above.
    void moveToPosition(const Coordinate& target, double travelHeight);
    // Polls the chosen axes until none moves. Finding movementAborted set, it
    // clears it, halts, reads the position back and throws abortedDuringMove.
    // With a time limit that passes, it throws abortedDuringMove without halting.
    void waitForMovementToFinishOnAxes(bool x, bool y, bool z, bool isHoming,
                                       std::optional<double> timeoutInSeconds = std::nullopt);

    // Reads the position from the controllers, stores it and tells the position
    // observer; answers it. Throws. Runs on the robot queue (directly when called
    // there, else after the work queued before it, blocking the caller).
    Coordinate readAndStoreCurrentPosition();
    // The same on the robot queue, for windows: the completion runs on the main
    // queue with the position or the error.
    void readCurrentPositionAsynchronously(PositionReadCompletion completion);

    // The target limited, axis by axis, to the travel between the minimum and
    // maximum motor positions.
    Coordinate limitedToTravel(const Coordinate& target) const;

    // ---- Fields ---------------------------------------------------------------------

    SerialQueue& serialDispatchQueue() override { return serialDispatchQueue_; }
    const std::shared_ptr<UserDefaults>& userDefaults() const { return userDefaults_; }

    std::shared_ptr<SerialPort> serialPort() const;
    void setSerialPort(std::shared_ptr<SerialPort> serialPort);

    std::optional<double> safePickupHeight() const;
    void setSafePickupHeight(std::optional<double> height);
    double patternPickupDistance() const;
    void setPatternPickupDistance(double distance);

    bool shouldUseSlowApproachDuringSurfaceFinding() const;
    void setShouldUseSlowApproachDuringSurfaceFinding(bool value);
    bool shouldResetSavedHeightsOnDispenserDisconnection() const;
    void setShouldResetSavedHeightsOnDispenserDisconnection(bool value);
    bool shouldFindSurfaceAtStartOfEachPatternItem() const;
    void setShouldFindSurfaceAtStartOfEachPatternItem(bool value);

    Coordinate currentCoordinate() const;
    // Stores the position without telling the observer.
    void setCurrentCoordinate(const Coordinate& coordinate);
    // Stores the position and tells the position observer, when one is set.
    void setCurrentCoordinateAndNotify(const Coordinate& coordinate);
    void setCoordinateUpdateObserver(CoordinateUpdateObserver observer);

    bool movementAborted() const { return movementAborted_.load(); }
    void setMovementAborted(bool aborted) { movementAborted_.store(aborted); }

    // Fixed once the settings are read.
    const Coordinate& offsetFromHomePositionToLimit() const { return offsetFromHomePositionToLimit_; }
    std::optional<Coordinate> homePosition() const;
    void setHomePosition(std::optional<Coordinate> position);

    AxisValues manualPositioningVelocities() const;
    void setManualPositioningVelocities(const AxisValues& values);
    AxisValues manualPositioningAccelerations() const;
    void setManualPositioningAccelerations(const AxisValues& values);
    AxisValues patternPrintingVelocities() const;
    void setPatternPrintingVelocities(const AxisValues& values);
    AxisValues patternPrintingAccelerations() const;
    void setPatternPrintingAccelerations(const AxisValues& values);

    double lengthOfArcSegmentInMicrons() const { return lengthOfArcSegmentInMicrons_; }

    std::vector<MovementCompletionObserver> observersForMovementCompletion() const;
    void addObserverForMovementCompletion(MovementCompletionObserver observer);

  protected:
    const std::shared_ptr<Clock>& clock() const { return clock_; }
    // What a wait does when it finds movementAborted set (the caller has
    // cleared it): halts, reads the position back, stores and publishes it,
    // and throws abortedDuringMove logged under the function's name. An error
    // of the halt or the read is thrown instead.
    [[noreturn]] void haltAfterAbort(const char* function);

  private:
    // A copy of a field under the lock, and a replacement of it.
    template <typename T> T locked(const T& field) const {
        std::lock_guard lock(mutex_);
        return field;
    }
    template <typename T, typename V> void store(T& field, V&& value) {
        std::lock_guard lock(mutex_);
        field = std::forward<V>(value);
    }

    // The second phase of construction, through the finished model.
    void readSettings();
    // Commands the X and Y legs of a move: one command for both, or the one axis.
    void commandXY(const AxisFlags& axes, double xTarget, double yTarget);
    // Refuses, with RoboticsError.abortedDuringMove, a target (or travel height)
    // that is not a finite number.
    static void requireFiniteTarget(const Coordinate& target,
                                    std::optional<double> travelHeight = std::nullopt);

    const std::shared_ptr<UserDefaults> userDefaults_;
    const std::shared_ptr<Clock> clock_;
    const double lengthOfArcSegmentInMicrons_ = 50.0;
    Coordinate offsetFromHomePositionToLimit_;

    std::atomic<bool> movementAborted_{false};

    // Guards every field below.
    mutable std::mutex mutex_;
    std::shared_ptr<SerialPort> serialPort_;
    std::optional<double> safePickupHeight_;
    double patternPickupDistance_ = 200.0;
    bool shouldUseSlowApproachDuringSurfaceFinding_ = false;
    bool shouldResetSavedHeightsOnDispenserDisconnection_ = false;
    bool shouldFindSurfaceAtStartOfEachPatternItem_ = false;
    Coordinate currentCoordinate_;
    CoordinateUpdateObserver coordinateUpdateObserver_;
    std::optional<Coordinate> homePosition_;
    AxisValues manualPositioningVelocities_;
    AxisValues manualPositioningAccelerations_;
    AxisValues patternPrintingVelocities_;
    AxisValues patternPrintingAccelerations_;
    std::vector<MovementCompletionObserver> observersForMovementCompletion_;

    // Last, so it goes first: work still queued finishes before the fields go.
    // (Queued robot operations hold the robot; this covers work put on the
    // queue directly.)
    SerialQueue serialDispatchQueue_{queueLabel};
};

} // namespace Dotfield
