#pragma once
// Object-level stand-ins for the engine's logic tests and benchmarks: a robot
// whose moves arrive at once and an electronics object that only records.
// Both write into one event log, so a test sees the order of motion,
// dispensing and parameter changes. A test may make one named event fail.

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/RepeatingTimer.hpp"
#include "Dotfield/Printing/Modes/PrintingElectronics.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/Robotics/SurfaceTopographyMap.hpp"
#include "Zovudidova/NumberText.hpp"

namespace Dotfield::testing {

using VeltranePatterns::Coordinate;

// Whole numbers without a fraction ("5200"), others in the shared number text.
inline std::string text(double value) {
    std::string formatted = Zovudidova::formatDouble(value);
    if (formatted.ends_with(".0")) {
        formatted.resize(formatted.size() - 2);
    }
    return formatted;
}
inline std::string text(const Coordinate& c) { return text(c.x) + " " + text(c.y) + " " + text(c.z); }

struct EventLog {
    std::vector<std::string> events;
    // The first event that begins with this text throws instead.
    std::string failOn;
    bool electronicsFailure = false;

    void add(const std::string& event) {
        events.push_back(event);
        if (!failOn.empty() && event.starts_with(failOn)) {
            failOn.clear();
            if (electronicsFailure) {
                throw ElectronicsError(ElectronicsError::Kind::dispenserDisconnectedMidOperation);
            }
            throw RoboticsError(RoboticsError::Kind::corruptedCommunications);
        }
    }
    // The events that begin with the prefix.
    std::vector<std::string> starting(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const auto& event : events) {
            if (event.starts_with(prefix)) {
                found.push_back(event);
            }
        }
        return found;
    }
};

// Logs "at x y z" for every leg of a move, "line x y z" and "arc ..." for
// drawing, "manual" and "pattern" for the speed sets.
class ArrivingRobot final : public Robot {
  public:
    ArrivingRobot(ConstructionKey key, std::shared_ptr<EventLog> log)
        : Robot(key, std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{})), log_(std::move(log)) {
        setCoordinateUpdateObserver([this](const Coordinate& at) { log_->add("at " + text(at)); });
    }

    Coordinate minimumMotorPosition() const override { return {-1e9, -1e9, -1e9}; }
    Coordinate maximumMotorPosition() const override { return {1e9, 1e9, 1e9}; }
    double surfaceApproachStepSize() const override { return 5.0; }
    double slowSurfaceApproachStepSize() const override { return 1.0; }
    double surfaceRetractionStepSize() const override { return 2.0; }
    double convertPositionToMotorCoordinateSpaceInX(double position) override { return position; }
    double convertPositionToMotorCoordinateSpaceInY(double position) override { return position; }
    double convertPositionToMotorCoordinateSpaceInZ(double position) override { return position; }

    void moveMotor(MotorPosition, double) override {}
    void moveXandYMotorsToPosition(double, double) override {}
    AxisFlags checkIfAxesAreMoving(bool, bool, bool, bool) override { return {}; }
    void haltMovement() override {}
    Coordinate readCurrentPosition() override { return currentCoordinate(); }
    void setVelocity(double, MotorPosition) override {}
    void setAcceleration(double, MotorPosition) override {}
    void useManualPositioningMovementParameters() override { log_->add("manual"); }
    void usePatternPrintingMovementParameters() override { log_->add("pattern"); }

    void drawLineToCoordinate(const Coordinate& coordinate, const std::shared_ptr<SurfaceTopographyMap>& map,
                              std::optional<double> velocity, std::optional<double> acceleration) override {
        lineSpeeds.emplace_back(velocity, acceleration);
        lineMaps.push_back(map);
        log_->add("line " + text(coordinate));
        setCurrentCoordinate(coordinate);
    }
    void drawArc(const Zovudidova::Angle& from, const Zovudidova::Angle& to, const Coordinate& centerPoint,
                 double radius, VeltranePatterns::RotationalDirection direction, const Coordinate& patternStart,
                 const SurfaceCant&, double, const Zovudidova::Angle&, const std::shared_ptr<SurfaceTopographyMap>&,
                 std::optional<double>, std::optional<double>) override {
        log_->add("arc r " + text(radius) + " from " + text(from.value(Zovudidova::AngleUnit::degrees)) + " to " +
                  text(to.value(Zovudidova::AngleUnit::degrees)) +
                  (direction == VeltranePatterns::RotationalDirection::clockwise ? " cw" : " ccw") + " centre " +
                  text(centerPoint) + " anchor " + text(patternStart));
    }

    // The override velocity and acceleration, and the map, of every line drawn.
    std::vector<std::pair<std::optional<double>, std::optional<double>>> lineSpeeds;
    std::vector<std::shared_ptr<SurfaceTopographyMap>> lineMaps;

  private:
    std::shared_ptr<EventLog> log_;
};

// Logs "dispense on/off", "dispense <s>", "spray <s>", "spray start/stop",
// "dwell <s>". The surface it senses lies at surfaceHeight under the robot.
class RecordingElectronics final : public PrintingElectronics {
  public:
    RecordingElectronics(std::shared_ptr<EventLog> log, Robot& robot) : log_(std::move(log)), robot_(robot) {
        poll.resume();
    }

    DispenserConnectionStatus checkDispenserStatus() override {
        return robot_.currentCoordinate().z <= surfaceHeight ? DispenserConnectionStatus::connectedAndOnSurface
                                                            : DispenserConnectionStatus::connectedAndOffSurface;
    }
    bool dispenserIsMiscalibrated() override { return false; }
    RepeatingTimer& statusPollTimer() override { return poll; }

    void startDispensing() override { log_->add("dispense on"); }
    void stopDispensing() override { log_->add("dispense off"); }
    void dispense(const Zovudidova::Duration& d) override {
        log_->add("dispense " + text(d.value(Zovudidova::TimeUnit::seconds)));
    }
    void spray(const Zovudidova::Duration& d) override {
        log_->add("spray " + text(d.value(Zovudidova::TimeUnit::seconds)));
    }
    void startSpraying() override {
        poll.suspend();
        log_->add("spray start");
    }
    void stopSpraying() override {
        poll.resume();
        log_->add("spray stop");
    }
    void dwell(const Zovudidova::Duration& d) override {
        log_->add("dwell " + text(d.value(Zovudidova::TimeUnit::seconds)));
    }

    // A poll that runs until the print suspends it; a manual clock never ticks it.
    RepeatingTimer poll{std::make_shared<ManualClock>()};
    double surfaceHeight = -1e9;

  private:
    std::shared_ptr<EventLog> log_;
    Robot& robot_;
};

} // namespace Dotfield::testing
