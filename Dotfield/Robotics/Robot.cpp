#include "Dotfield/Robotics/Robot.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "Dotfield/Platform/Log.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Diagnostics/ProgramStop.hpp"

namespace Dotfield {

namespace {

using VeltranePatterns::Coordinate;
using Diagnostics::stopProgram;

const std::string shouldSlowSurfaceApproachKey = "shouldSlowSurfaceApproach";
const std::string shouldResetSavedHeightsKey = "shouldResetSavedPositionHeightsOnNewDispenserConnection";
const std::string activeSurfaceCorrectionKey = "isActiveCorrectionForSurfaceHeightEnabled";
const std::string offsetToLimitInXKey = "offsetFromHomePositionToLimitInX";
const std::string offsetToLimitInYKey = "offsetFromHomePositionToLimitInY";
const std::string offsetToLimitInZKey = "offsetFromHomePositionToLimitInZ";
const std::string storedHomeLocationKey = "storedHomeLocation";
const std::string patternPickupDistanceKey = "patternPickupDistance";
const std::string manualVelocityKey = "manualMovementVelocity";
const std::string manualAccelerationKey = "manualMovementAcceleration";
const std::string automatedVelocityKey = "automatedMovementVelocity";
const std::string automatedAccelerationKey = "automatedMovementAcceleration";
const std::string safePickupHeightKey = "safePickupHeight";

constexpr double defaultPatternPickupDistance = 200.0;
// The stored safe height's stand-in when none is stored; the model's default
// raises it where that is higher.
constexpr double defaultStoredSafePickupHeight = 60000.0;
constexpr AxisValues defaultManualSpeeds{100000.0, 100000.0, 100000.0};
constexpr AxisValues defaultPatternPrintingVelocities{1000.0, 1000.0, 10000.0};
constexpr AxisValues defaultPatternPrintingAccelerations{100000.0, 100000.0, 100000.0};

// Stored numbers that are not finite (a damaged settings file) count as missing,
// so the robot starts from its defaults instead of travelling to NaN.
std::optional<double> storedDouble(const UserDefaults& defaults, const std::string& key) {
    const std::optional<double> value = defaults.doubleForKey(key);
    return value && std::isfinite(*value) ? value : std::nullopt;
}

AxisValues storedAxisValues(const UserDefaults& defaults, const std::string& key,
                            const AxisValues& fallback) {
    const std::optional<AxisValues> values = defaults.axisValues(key, true);
    if (!values || !std::isfinite(values->x) || !std::isfinite(values->y) || !std::isfinite(values->z)) {
        return fallback;
    }
    return *values;
}

std::optional<Coordinate> storedCoordinate(const UserDefaults& defaults, const std::string& key) {
    const std::optional<Coordinate> value = defaults.coordinate(key);
    return value && isFinite(*value) ? value : std::nullopt;
}

void logOperationFailure(const char* what) {
    writeLogLine(std::string("A robot operation ended with an uncaught error: ") + what);
}

} // namespace

Robot::Robot(ConstructionKey, std::shared_ptr<UserDefaults> userDefaults, std::shared_ptr<Clock> clock)
    : userDefaults_(std::move(userDefaults)), clock_(std::move(clock)) {}

Robot::~Robot() = default;

void Robot::readSettings() {
    const UserDefaults& defaults = *userDefaults_;
    const bool slowApproach = defaults.boolForKey(shouldSlowSurfaceApproachKey).value_or(false);
    const bool resetHeights = defaults.boolForKey(shouldResetSavedHeightsKey).value_or(false);
    const bool activeCorrection = defaults.boolForKey(activeSurfaceCorrectionKey).value_or(false);
    const Coordinate offset(storedDouble(defaults, offsetToLimitInXKey).value_or(0.0),
                            storedDouble(defaults, offsetToLimitInYKey).value_or(0.0),
                            storedDouble(defaults, offsetToLimitInZKey).value_or(0.0));
    const std::optional<Coordinate> home = storedCoordinate(defaults, storedHomeLocationKey);
    const double pickupDistance =
        storedDouble(defaults, patternPickupDistanceKey).value_or(defaultPatternPickupDistance);
    const AxisValues manualVelocities = storedAxisValues(defaults, manualVelocityKey, defaultManualSpeeds);
    const AxisValues manualAccelerations =
        storedAxisValues(defaults, manualAccelerationKey, defaultManualSpeeds);
    const AxisValues printingVelocities =
        storedAxisValues(defaults, automatedVelocityKey, defaultPatternPrintingVelocities);
    const AxisValues printingAccelerations =
        storedAxisValues(defaults, automatedAccelerationKey, defaultPatternPrintingAccelerations);
    const double storedSafeHeight =
        storedDouble(defaults, safePickupHeightKey).value_or(defaultStoredSafePickupHeight);

    // The model's default is a floor: a lower stored height is raised to it.
    // Nothing is written back.
    const double modelSafeHeight = defaultSafePickupHeight();
    const double safeHeight = storedSafeHeight <= modelSafeHeight ? modelSafeHeight : storedSafeHeight;

    offsetFromHomePositionToLimit_ = offset;
    std::lock_guard lock(mutex_);
    shouldUseSlowApproachDuringSurfaceFinding_ = slowApproach;
    shouldResetSavedHeightsOnDispenserDisconnection_ = resetHeights;
    shouldFindSurfaceAtStartOfEachPatternItem_ = activeCorrection;
    homePosition_ = home;
    patternPickupDistance_ = pickupDistance;
    manualPositioningVelocities_ = manualVelocities;
    manualPositioningAccelerations_ = manualAccelerations;
    patternPrintingVelocities_ = printingVelocities;
    patternPrintingAccelerations_ = printingAccelerations;
    safePickupHeight_ = safeHeight;
}

// ---- Model constants -------------------------------------------------------------

double Robot::defaultSafePickupHeight() const {
    return 20000.0;
}

Coordinate Robot::rangeOfMotion() const {
    return Coordinate::zero;
}

Coordinate Robot::minimumMotorPosition() const {
    return Coordinate::zero;
}

Coordinate Robot::maximumMotorPosition() const {
    return Coordinate::zero;
}

double Robot::surfaceApproachStepSize() const {
    return 10.0;
}

double Robot::slowSurfaceApproachStepSize() const {
    return 5.0;
}

double Robot::surfaceRetractionStepSize() const {
    return 5.0;
}

double Robot::motorScaleFactor() const {
    return 1.0;
}

Coordinate Robot::homeToLimitOffsetInMicrons() const {
    const Coordinate& offset = offsetFromHomePositionToLimit_;
    return {-offset.x, -offset.y, motorScaleFactor() * rangeOfMotion().z - offset.z};
}

// ---- Operations every model supplies --------------------------------------------------

std::shared_ptr<SerialPort> Robot::retrieveSerialPort(const SerialPortOpener&) {
    stopProgram("retrieveSerialPort needs to be overridden");
}

void Robot::disconnectFromSerialPort() {
    stopProgram("disconnectFromSerialPort needs to be overridden");
}

void Robot::moveMotor(MotorPosition, double) {
    stopProgram("moveXMotorToPosition needs to be overridden");
}

void Robot::moveXandYMotorsToPosition(double, double) {
    stopProgram("moveXandYMotorsToPosition needs to be overridden");
}

void Robot::haltMovement() {
    stopProgram("haltMovement not implemented");
}

Coordinate Robot::readCurrentPosition() {
    stopProgram("readCurrentPosition needs to be overridden");
}

Robot::AxisFlags Robot::checkIfAxesAreMoving(bool, bool, bool, bool) {
    stopProgram("checkIfAxesAreMoving needs to be overridden");
}

void Robot::clearPositionerErrorForMotor(MotorPosition) {
    stopProgram("clearPositionerErrorForMotor needs to be overridden");
}

bool Robot::needsToHome() {
    stopProgram("needsToHome needs to be overridden");
}

Coordinate Robot::home() {
    stopProgram("home needs to be overridden");
}

void Robot::setVelocity(double, MotorPosition) {
    stopProgram("setVelocity needs to be overridden");
}

void Robot::setAcceleration(double, MotorPosition) {
    stopProgram("setAcceleration needs to be overridden");
}

double Robot::attainedVelocity(double velocity, MotorPosition) const {
    return velocity;
}

double Robot::attainedAcceleration(double acceleration, MotorPosition) const {
    return acceleration;
}

void Robot::updateMotorTuningParameters() {
    stopProgram("updateMotorTuningParameters needs to be overridden");
}

double Robot::convertPositionToMotorCoordinateSpaceInX(double) {
    stopProgram("convertPositionToMotorCoordinateSpaceInX needs to be overridden");
}

double Robot::convertPositionToMotorCoordinateSpaceInY(double) {
    stopProgram("convertPositionToMotorCoordinateSpaceInY needs to be overridden");
}

double Robot::convertPositionToMotorCoordinateSpaceInZ(double) {
    stopProgram("convertPositionToMotorCoordinateSpaceInZ needs to be overridden");
}

Coordinate Robot::offsetForA1WellOfPlateNumber(std::uint64_t) {
    stopProgram("offsetForA1WellOfPlateNumber not overridden");
}

// ---- Travel limits ----------------------------------------------------------------------

double Robot::clampedDistance(double distance, MotorPosition motor) {
    const Coordinate minimum = minimumMotorPosition();
    const Coordinate maximum = maximumMotorPosition();
    double first = 0.0;
    double second = 0.0;
    switch (motor) {
    case MotorPosition::xMotor:
        first = convertPositionToMotorCoordinateSpaceInX(minimum.x);
        second = convertPositionToMotorCoordinateSpaceInX(maximum.x);
        break;
    case MotorPosition::yMotor:
        first = convertPositionToMotorCoordinateSpaceInY(minimum.y);
        second = convertPositionToMotorCoordinateSpaceInY(maximum.y);
        break;
    case MotorPosition::zMotor:
        first = convertPositionToMotorCoordinateSpaceInZ(minimum.z);
        second = convertPositionToMotorCoordinateSpaceInZ(maximum.z);
        break;
    case MotorPosition::allMotors:
        stopProgram("Must input a valid motor into the distance clamping calculation");
    }
    // A conversion that reverses the axis hands the bounds over swapped.
    const double lower = std::min(first, second);
    const double upper = std::max(first, second);
    return std::max(lower, std::min(distance, upper));
}

bool Robot::isCoordinateWithinLimits(const Coordinate& coordinate) const {
    const Coordinate minimum = minimumMotorPosition();
    const Coordinate maximum = maximumMotorPosition();
    return minimum.x <= coordinate.x && minimum.y <= coordinate.y && minimum.z <= coordinate.z &&
           coordinate.x <= maximum.x && coordinate.y <= maximum.y && coordinate.z <= maximum.z;
}

Coordinate Robot::limitedToTravel(const Coordinate& target) const {
    const Coordinate minimum = minimumMotorPosition();
    const Coordinate maximum = maximumMotorPosition();
    const auto limit = [](double value, double a, double b) {
        return std::clamp(value, std::min(a, b), std::max(a, b));
    };
    return {limit(target.x, minimum.x, maximum.x), limit(target.y, minimum.y, maximum.y),
            limit(target.z, minimum.z, maximum.z)};
}

// ---- Movement parameter sets --------------------------------------------------------------

void Robot::setMovementParameters(const AxisValues& velocities, const AxisValues& accelerations) {
    setVelocity(velocities.x, MotorPosition::xMotor);
    setVelocity(velocities.y, MotorPosition::yMotor);
    setVelocity(velocities.z, MotorPosition::zMotor);
    setAcceleration(accelerations.x, MotorPosition::xMotor);
    setAcceleration(accelerations.y, MotorPosition::yMotor);
    setAcceleration(accelerations.z, MotorPosition::zMotor);
}

void Robot::useManualPositioningMovementParameters() {
    setMovementParameters(manualPositioningVelocities(), manualPositioningAccelerations());
}

void Robot::usePatternPrintingMovementParameters() {
    setMovementParameters(patternPrintingVelocities(), patternPrintingAccelerations());
}

// ---- The queue and the busy state -------------------------------------------------------------

void Robot::notifyMovementStarted() {
    for (const MovementCompletionObserver& observer : observersForMovementCompletion()) {
        observer(true);
    }
}

void Robot::notifyMovementFinished() {
    for (const MovementCompletionObserver& observer : observersForMovementCompletion()) {
        observer(false);
    }
}

void Robot::runOnRoboticsQueue(std::function<void()> operation) {
    std::shared_ptr<Robot> self = shared_from_this();
    MainQueue& mainQueue = MainQueue::main();
    if (mainQueue.isCurrent()) {
        notifyMovementStarted();
    } else {
        mainQueue.async([self] { self->notifyMovementStarted(); });
    }
    serialDispatchQueue_.async([self, operation = std::move(operation)] {
        // The operations catch their own errors; one that escapes anyway must not
        // leave the windows believing the robot is still busy.
        try {
            operation();
        } catch (const std::exception& error) {
            logOperationFailure(error.what());
        } catch (...) {
            logOperationFailure("not an exception class");
        }
        MainQueue& main = MainQueue::main();
        if (main.isCurrent()) {
            self->notifyMovementFinished();
        } else {
            main.async([self] { self->notifyMovementFinished(); });
        }
    });
}

// ---- Position reads -------------------------------------------------------------------------

Coordinate Robot::readAndStoreCurrentPosition() {
    // On the robot queue, so the read cannot interleave with a move's exchanges.
    return serialDispatchQueue_.sync([this] {
        const Coordinate position = readCurrentPosition();
        setCurrentCoordinateAndNotify(position);
        return position;
    });
}

void Robot::readCurrentPositionAsynchronously(PositionReadCompletion completion) {
    std::shared_ptr<Robot> self = shared_from_this();
    serialDispatchQueue_.async([self, completion = std::move(completion)] {
        std::optional<Coordinate> position;
        std::exception_ptr error;
        try {
            position = self->readAndStoreCurrentPosition();
        } catch (...) {
            error = std::current_exception();
        }
        MainQueue::main().async([completion, position, error] {
            if (completion) {
                completion(position, error);
            }
        });
    });
}

// ---- Fields -----------------------------------------------------------------------------------

std::shared_ptr<SerialPort> Robot::serialPort() const {
    return locked(serialPort_);
}

void Robot::setSerialPort(std::shared_ptr<SerialPort> serialPort) {
    store(serialPort_, std::move(serialPort));
}

std::optional<double> Robot::safePickupHeight() const {
    return locked(safePickupHeight_);
}

void Robot::setSafePickupHeight(std::optional<double> height) {
    store(safePickupHeight_, height);
}

double Robot::patternPickupDistance() const {
    return locked(patternPickupDistance_);
}

void Robot::setPatternPickupDistance(double distance) {
    store(patternPickupDistance_, distance);
}

bool Robot::shouldUseSlowApproachDuringSurfaceFinding() const {
    return locked(shouldUseSlowApproachDuringSurfaceFinding_);
}

void Robot::setShouldUseSlowApproachDuringSurfaceFinding(bool value) {
    store(shouldUseSlowApproachDuringSurfaceFinding_, value);
}

bool Robot::shouldResetSavedHeightsOnDispenserDisconnection() const {
    return locked(shouldResetSavedHeightsOnDispenserDisconnection_);
}

void Robot::setShouldResetSavedHeightsOnDispenserDisconnection(bool value) {
    store(shouldResetSavedHeightsOnDispenserDisconnection_, value);
}

bool Robot::shouldFindSurfaceAtStartOfEachPatternItem() const {
    return locked(shouldFindSurfaceAtStartOfEachPatternItem_);
}

void Robot::setShouldFindSurfaceAtStartOfEachPatternItem(bool value) {
    store(shouldFindSurfaceAtStartOfEachPatternItem_, value);
}

Coordinate Robot::currentCoordinate() const {
    return locked(currentCoordinate_);
}

void Robot::setCurrentCoordinate(const Coordinate& coordinate) {
    store(currentCoordinate_, coordinate);
}

void Robot::setCurrentCoordinateAndNotify(const Coordinate& coordinate) {
    CoordinateUpdateObserver observer;
    {
        std::lock_guard lock(mutex_);
        currentCoordinate_ = coordinate;
        observer = coordinateUpdateObserver_;
    }
    if (observer) {
        observer(coordinate);
    }
}

void Robot::setCoordinateUpdateObserver(CoordinateUpdateObserver observer) {
    store(coordinateUpdateObserver_, std::move(observer));
}

std::optional<Coordinate> Robot::homePosition() const {
    return locked(homePosition_);
}

void Robot::setHomePosition(std::optional<Coordinate> position) {
    store(homePosition_, position);
}

AxisValues Robot::manualPositioningVelocities() const {
    return locked(manualPositioningVelocities_);
}

void Robot::setManualPositioningVelocities(const AxisValues& values) {
    store(manualPositioningVelocities_, values);
}

AxisValues Robot::manualPositioningAccelerations() const {
    return locked(manualPositioningAccelerations_);
}

void Robot::setManualPositioningAccelerations(const AxisValues& values) {
    store(manualPositioningAccelerations_, values);
}

AxisValues Robot::patternPrintingVelocities() const {
    return locked(patternPrintingVelocities_);
}

void Robot::setPatternPrintingVelocities(const AxisValues& values) {
    store(patternPrintingVelocities_, values);
}

AxisValues Robot::patternPrintingAccelerations() const {
    return locked(patternPrintingAccelerations_);
}

void Robot::setPatternPrintingAccelerations(const AxisValues& values) {
    store(patternPrintingAccelerations_, values);
}

std::vector<Robot::MovementCompletionObserver> Robot::observersForMovementCompletion() const {
    return locked(observersForMovementCompletion_);
}

void Robot::addObserverForMovementCompletion(MovementCompletionObserver observer) {
    std::lock_guard lock(mutex_);
    observersForMovementCompletion_.push_back(std::move(observer));
}

} // namespace Dotfield
