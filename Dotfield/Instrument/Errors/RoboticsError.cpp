#include "Dotfield/Instrument/Errors/RoboticsError.hpp"

#include <utility>
#include <vector>

#include "Diagnostics/ProgramStop.hpp"

namespace Dotfield {

namespace {

RoboticsError::Kind kindFor(const CommunicationsError& error) {
    switch (error.kind()) {
    case CommunicationsError::Kind::wrongByteCount:
    case CommunicationsError::Kind::corruptedResponse:
        return RoboticsError::Kind::corruptedCommunications;
    case CommunicationsError::Kind::failedStatusCheck:
    case CommunicationsError::Kind::readWriteTimeout:
        return RoboticsError::Kind::notConnected;
    }
    return RoboticsError::Kind::notConnected;
}

// "X axis", "X and Z axes", "X, Y, and Z axes"; empty when none of the three
// axes is in the set (allMotors is not looked at).
std::string axesPhrase(const std::set<MotorPosition>& axes) {
    std::vector<std::string> letters;
    if (axes.contains(MotorPosition::xMotor)) {
        letters.emplace_back("X");
    }
    if (axes.contains(MotorPosition::yMotor)) {
        letters.emplace_back("Y");
    }
    if (axes.contains(MotorPosition::zMotor)) {
        letters.emplace_back("Z");
    }
    switch (letters.size()) {
    case 1:
        return letters[0] + " axis";
    case 2:
        return letters[0] + " and " + letters[1] + " axes";
    case 3:
        return "X, Y, and Z axes";
    default:
        return "";
    }
}

} // namespace

RoboticsError::RoboticsError(Kind kind, std::set<MotorPosition> axes) : kind_(kind), axes_(std::move(axes)) {}

RoboticsError::RoboticsError(Kind kind) : kind_(kind) {
    if (kind == Kind::notConnected) {
        axes_ = {MotorPosition::allMotors};
    }
}

RoboticsError RoboticsError::notConnected(std::set<MotorPosition> axes) {
    return RoboticsError(Kind::notConnected, std::move(axes));
}

RoboticsError::RoboticsError(const CommunicationsError& communicationsError)
    : kind_(kindFor(communicationsError)) {
    if (kind_ == Kind::notConnected) {
        axes_ = {MotorPosition::allMotors};
    }
}

int RoboticsError::code() const {
    return static_cast<int>(kind_);
}

std::string RoboticsError::domain() const {
    return "Dotfield.RoboticsError";
}

std::string RoboticsError::caseDescription() const {
    switch (kind_) {
    case Kind::notConnected: {
        std::string text = "notConnected(axes: [";
        bool first = true;
        for (MotorPosition axis : axes_) {
            text += first ? "" : ", ";
            text += toString(axis);
            first = false;
        }
        return text + "])";
    }
    case Kind::hitObstruction:
        return "hitObstruction";
    case Kind::needsToHome:
        return "needsToHome";
    case Kind::corruptedCommunications:
        return "corruptedCommunications";
    case Kind::abortedDuringMove:
        return "abortedDuringMove";
    case Kind::internalTestFailure:
        return "internalTestFailure";
    }
    return "unknown";
}

ErrorAlertContent RoboticsError::presentableDescription() const {
    switch (kind_) {
    case Kind::notConnected: {
        const std::string phrase = axesPhrase(axes_);
        if (phrase.empty()) {
            return {"OK", "Cancel", "The connection to the robot has been lost.",
                    "Try turning off the positioner and supporting electronics and closing out of Dotfield, "
                    "verifying the connection of the cables to the robot, then restarting the positioner and "
                    "electronics, followed by restarting Dotfield."};
        }
        return {"OK", "Cancel", "The connection to the " + phrase + " of the robot has been lost.",
                "Try turning off the positioner and supporting electronics and closing out of Dotfield, "
                "verifying "
                "the connection of the power and communication cables to the " +
                    phrase +
                    ", then restarting the positioner and electronics, followed by restarting Dotfield."};
    }
    case Kind::hitObstruction:
        return {"Home", "Cancel", "The positioner has hit a physical limit or become obstructed.",
                "To clear the error, the positioner will need to be re-homed.  Clear the working area and "
                "click on "
                "Home when ready."};
    case Kind::needsToHome:
        return {
            "Home", "Cancel", "The positioner needs to be homed.",
            "Please clear the area to ensure that the positioner can safely return to the home position and "
            "click Home when ready."};
    case Kind::corruptedCommunications:
        return {"OK", "Cancel", "The connection to the robotics has been disrupted.",
                "Try turning off the positioner and supporting electronics and closing out of Dotfield, then "
                "restarting the positioner and electronics, followed by restarting Dotfield."};
    case Kind::abortedDuringMove:
        return {"OK", "Cancel", "The movement of the positioner was halted.",
                "Check to make sure that the system is in a safe position before moving again."};
    case Kind::internalTestFailure:
        return internalTestFailureAlertContent();
    }
    return {};
}

} // namespace Dotfield
