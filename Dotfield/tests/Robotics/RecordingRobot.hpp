#pragma once
// A positioner model for tests of the base robot: it records every operation
// the base class asks of it as a line of text, keeps its axes where it was
// told to move them (arriving at once, unless a test makes the polls report
// movement), and fails an operation a test names.

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Zovudidova/NumberText.hpp"

namespace Dotfield::testing {

using VeltranePatterns::AxisFlags;
using VeltranePatterns::Coordinate;

// The constants a test picks for its model.
struct RecordingModel {
    double defaultSafePickupHeight = 20000.0;
    Coordinate minimum = Coordinate::zero;
    Coordinate maximum{300000.0, 300000.0, 90000.0};
    Coordinate rangeOfMotion = Coordinate::zero;
    double motorScaleFactor = 1.0;
    // X in motor coordinates runs the other way (motor = −microns).
    bool reversedX = false;
};

class RecordingRobot : public Robot {
  public:
    RecordingRobot(ConstructionKey key, std::shared_ptr<UserDefaults> userDefaults, RecordingModel model = {},
                   std::shared_ptr<Clock> clock = systemClock())
        : Robot(key, std::move(userDefaults), std::move(clock)), model_(model) {}

    // ---- What the test sets up ----

    // The first operation whose record begins with this text throws
    // RoboticsError.corruptedCommunications instead of running.
    void failOn(std::string recordPrefix) {
        with([&] { failOn_ = std::move(recordPrefix); });
    }
    // Answers a poll for the axes asked; by default every axis has stopped.
    void answerPollsWith(std::function<AxisFlags(AxisFlags asked)> answer) {
        with([&] { pollAnswer_ = std::move(answer); });
    }
    // The position the controllers report, in microns.
    void placeAxesAt(const Coordinate& position) {
        with([&] { axes_ = position; });
    }
    void reportNeedsToHome(bool needsHoming) {
        with([&] { needsToHome_ = needsHoming; });
    }
    // The port retrieveSerialPort answers when no opener is used.
    static constexpr const char* portName = "Dual RS232 B";

    // ---- What the test looks at ----

    std::vector<std::string> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    void clearCalls() {
        with([&] { calls_.clear(); });
    }
    Coordinate axes() const {
        std::lock_guard lock(mutex_);
        return axes_;
    }

    // ---- Model constants ----

    double defaultSafePickupHeight() const override { return model_.defaultSafePickupHeight; }
    Coordinate rangeOfMotion() const override { return model_.rangeOfMotion; }
    Coordinate minimumMotorPosition() const override { return model_.minimum; }
    Coordinate maximumMotorPosition() const override { return model_.maximum; }
    double motorScaleFactor() const override { return model_.motorScaleFactor; }

    // ---- Operations ----

    std::shared_ptr<SerialPort> retrieveSerialPort(const SerialPortOpener& openSerialPort) override {
        record("retrieveSerialPort");
        return openSerialPort(SerialPortProperties{portName, 115200, false});
    }
    void disconnectFromSerialPort() override { record("disconnectFromSerialPort"); }

    void moveMotor(MotorPosition motor, double toPosition) override {
        record("moveMotor " + axisName(motor) + " " + text(toPosition));
        with([&] {
            switch (motor) {
            case MotorPosition::xMotor:
                axes_.x = model_.reversedX ? -toPosition : toPosition;
                break;
            case MotorPosition::yMotor:
                axes_.y = toPosition;
                break;
            default:
                axes_.z = toPosition;
                break;
            }
        });
    }
    void moveXandYMotorsToPosition(double xPosition, double yPosition) override {
        record("moveXandY " + text(xPosition) + " " + text(yPosition));
        with([&] {
            axes_.x = model_.reversedX ? -xPosition : xPosition;
            axes_.y = yPosition;
        });
    }
    void haltMovement() override { record("haltMovement"); }
    Coordinate readCurrentPosition() override {
        record("readCurrentPosition");
        return axes();
    }
    AxisFlags checkIfAxesAreMoving(bool x, bool y, bool z, bool isHoming) override {
        std::string asked = std::string(x ? "x" : "") + (y ? "y" : "") + (z ? "z" : "");
        record("checkIfAxesAreMoving " + (asked.empty() ? "none" : asked) + (isHoming ? " homing" : ""));
        std::function<AxisFlags(AxisFlags)> answer;
        with([&] { answer = pollAnswer_; });
        return answer ? answer(AxisFlags{x, y, z}) : AxisFlags{};
    }
    bool needsToHome() override {
        record("needsToHome");
        std::lock_guard lock(mutex_);
        return needsToHome_;
    }
    void setVelocity(double velocity, MotorPosition motor) override {
        record("setVelocity " + axisName(motor) + " " + text(velocity));
    }
    void setAcceleration(double acceleration, MotorPosition motor) override {
        record("setAcceleration " + axisName(motor) + " " + text(acceleration));
    }
    double convertPositionToMotorCoordinateSpaceInX(double position) override {
        return model_.reversedX ? -position : position;
    }
    double convertPositionToMotorCoordinateSpaceInY(double position) override { return position; }
    double convertPositionToMotorCoordinateSpaceInZ(double position) override { return position; }

    static std::string text(double value) { return Zovudidova::formatDouble(value); }

  private:
    // "x", "y", "z" or "a".
    static std::string axisName(MotorPosition motor) { return std::string(toString(motor).substr(0, 1)); }

    template <typename F> void with(F&& change) {
        std::lock_guard lock(mutex_);
        change();
    }

    void record(const std::string& call) {
        std::lock_guard lock(mutex_);
        calls_.push_back(call);
        if (!failOn_.empty() && call.starts_with(failOn_)) {
            failOn_.clear();
            throw RoboticsError(RoboticsError::Kind::corruptedCommunications);
        }
    }

    const RecordingModel model_;
    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
    std::string failOn_;
    std::function<AxisFlags(AxisFlags)> pollAnswer_;
    Coordinate axes_;
    bool needsToHome_ = false;
};

// A store in memory with nothing in it.
inline std::shared_ptr<UserDefaults> emptySettings() {
    return std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
}

} // namespace Dotfield::testing
