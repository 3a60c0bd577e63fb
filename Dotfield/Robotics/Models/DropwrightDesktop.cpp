#include "Dotfield/Robotics/Models/DropwrightDesktop.hpp"

#include "Dotfield/Robotics/Gilson/GilsonCommands.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

// The Z travel lies this far (µm) below the home height.
constexpr double zTravel = 53600.0;
constexpr double xTravelWithNewCable = 387000.0;
constexpr double xTravel = 306000.0;
constexpr double yTravel = 293000.0;
constexpr double surfaceStep = 8.0;

} // namespace

DropwrightDesktop::DropwrightDesktop(ConstructionKey key, std::shared_ptr<UserDefaults> userDefaults,
                                     std::shared_ptr<Clock> clock, std::shared_ptr<Sleeper> sleeper)
    : Robot(key, userDefaults, std::move(clock)), sleeper_(std::move(sleeper)) {
    backlashCorrection_ = userDefaults->axisValues(backlashCorrectionKey, true).value_or(AxisValues{});
    backlashCorrectionForLastMove_ =
        userDefaults->axisValues(backlashCorrectionForLastMoveKey, false).value_or(AxisValues{});
}

// ---- Model constants -----------------------------------------------------------------

double DropwrightDesktop::defaultSafePickupHeight() const {
    return 100000.0;
}

double DropwrightDesktop::homeHeight() const {
    if (const std::optional<Coordinate> home = homePosition()) {
        return home->z;
    }
    return safePickupHeight().value_or(defaultSafePickupHeight());
}

Robot::Coordinate DropwrightDesktop::minimumMotorPosition() const {
    return {0.0, 0.0, homeHeight() - zTravel};
}

Robot::Coordinate DropwrightDesktop::maximumMotorPosition() const {
    const bool newCable = userDefaults()->boolForKey(hasNewFirewireCableKey).value_or(false);
    return {newCable ? xTravelWithNewCable : xTravel, yTravel, homeHeight()};
}

double DropwrightDesktop::surfaceApproachStepSize() const {
    return surfaceStep;
}

double DropwrightDesktop::slowSurfaceApproachStepSize() const {
    return surfaceStep;
}

double DropwrightDesktop::surfaceRetractionStepSize() const {
    return surfaceStep;
}

Robot::Coordinate DropwrightDesktop::homeToLimitOffsetInMicrons() const {
    return {0.0, 0.0, safePickupHeight().value_or(defaultSafePickupHeight())};
}

Robot::Coordinate DropwrightDesktop::offsetForA1WellOfPlateNumber(std::uint64_t plateNumber) {
    return {0.0, static_cast<double>(plateNumber) * platePitch, 0.0};
}

double DropwrightDesktop::convertPositionToMotorCoordinateSpaceInX(double position) {
    return position / 1000.0;
}

double DropwrightDesktop::convertPositionToMotorCoordinateSpaceInY(double position) {
    return position / 1000.0;
}

double DropwrightDesktop::convertPositionToMotorCoordinateSpaceInZ(double position) {
    return position / 1000.0;
}

// ---- Fields ------------------------------------------------------------------------------

AxisValues DropwrightDesktop::currentVelocities() const {
    std::lock_guard lock(fieldsMutex_);
    // The settings are read after the model's own construction, so the copy
    // of the manual velocities is taken when first needed.
    if (!currentVelocities_) {
        currentVelocities_ = manualPositioningVelocities();
    }
    return *currentVelocities_;
}

AxisValues DropwrightDesktop::backlashCorrection() const {
    std::lock_guard lock(fieldsMutex_);
    return backlashCorrection_;
}

void DropwrightDesktop::setBacklashCorrection(const AxisValues& correction) {
    std::lock_guard lock(fieldsMutex_);
    backlashCorrection_ = correction;
}

AxisValues DropwrightDesktop::backlashCorrectionForLastMove() const {
    std::lock_guard lock(fieldsMutex_);
    return backlashCorrectionForLastMove_;
}

void DropwrightDesktop::storeLastMoveCorrection(const AxisValues& record) {
    {
        std::lock_guard lock(fieldsMutex_);
        backlashCorrectionForLastMove_ = record;
    }
    userDefaults()->setAxisValues(record, backlashCorrectionForLastMoveKey, false);
}

// ---- Exchanges -------------------------------------------------------------------------------

RoboticsError DropwrightDesktop::translated(const CommunicationsError& error, const char* function,
                                            const Diagnostics::SourceLocation& location) {
    return Diagnostics::logAndReturnError(
        RoboticsError(error),
        Diagnostics::SourceLocation::current(location.file_name(), location.line(), function));
}

SerialPort& DropwrightDesktop::link() const {
    const std::shared_ptr<SerialPort> port = serialPort();
    if (!port || port->isClosed()) {
        throw Diagnostics::logAndReturnError(RoboticsError::notConnected({MotorPosition::allMotors}));
    }
    return *port;
}

void DropwrightDesktop::sendBuffered(std::string_view command, const char* function) {
    SerialPort& port = link();
    try {
        sendGilsonBufferedCommand(command, port);
    } catch (const CommunicationsError& error) {
        throw translated(error, function);
    }
}

std::string DropwrightDesktop::queryImmediate(std::string_view command) {
    return sendGilsonImmediateCommand(command, link());
}

} // namespace Dotfield
