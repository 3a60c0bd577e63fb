#include "Dotfield/Robotics/SurfaceFinding.hpp"

#include <cmath>
#include <string>
#include <string_view>

#include "Dotfield/Instrument/DispenserStatus/StatusCheck.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/Platform/RepeatingTimer.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

using VeltranePatterns::Coordinate;
using Status = DispenserConnectionStatus;

DispenserConnectionStatus ElectronicsDispenserSensing::checkDispenserStatus() {
    return performOnQueueSync([this] { return electronics_.checkDispenserStatus(false); }, electronics_);
}

bool ElectronicsDispenserSensing::dispenserIsMiscalibrated() {
    return Dotfield::dispenserIsMiscalibrated(electronics_);
}

RepeatingTimer& ElectronicsDispenserSensing::statusPollTimer() {
    return electronics_.dispatchTimer();
}

namespace {

[[noreturn]] void abortSurfaceFinding(
    const Diagnostics::SourceLocation& location = Diagnostics::SourceLocation::current()) {
    throw Diagnostics::logAndReturnError(RoboticsError(RoboticsError::Kind::abortedDuringMove),
                                              location);
}

std::string_view statusName(Status status) {
    switch (status) {
    case Status::connectedAndOffSurface:
        return "connectedAndOffSurface";
    case Status::connectedAndMiscalibrated:
        return "connectedAndMiscalibrated";
    case Status::connectedAndOnSurface:
        return "connectedAndOnSurface";
    case Status::disconnected:
        return "disconnected";
    case Status::shortCircuit:
        return "shortCircuit";
    }
    return "unknown";
}

// Holds the status poll suspended for as long as it lives.
class PollSuspension {
  public:
    explicit PollSuspension(RepeatingTimer& timer) : timer_(timer) { timer_.suspend(); }
    ~PollSuspension() { timer_.resume(); }
    PollSuspension(const PollSuspension&) = delete;
    PollSuspension& operator=(const PollSuspension&) = delete;

  private:
    RepeatingTimer& timer_;
};

// What a pair of samples, with a third when they disagree, says.
enum class Reading { offSurface, onSurface };

class SurfaceFinder {
  public:
    SurfaceFinder(double approachStep, double retractionStep, Robot& robot, DispenserSensing& sensing,
                  const std::function<void()>& recalibrationOperation)
        : approachStep_(approachStep), retractionStep_(retractionStep), robot_(robot), sensing_(sensing),
          recalibrationOperation_(recalibrationOperation) {}

    Coordinate run(bool stepOff, int restarts) {
        const PollSuspension suspension(sensing_.statusPollTimer());
        if (raiseIfDispenserMiscalibrated(miscalibrationRaise, robot_, sensing_) && recalibrationOperation_) {
            recalibrationOperation_();
        }
        const double startHeight = robot_.currentCoordinate().z;

        // Going down until contact.
        while (read("Error case going down, samples: ") == Reading::offSurface) {
            step(-approachStep_);
        }
        if (!stepOff) {
            return robot_.currentCoordinate();
        }

        // Going up until off the surface, starting again from above if that
        // takes it past the height the approach began at.
        while (true) {
            if (robot_.currentCoordinate().z > startHeight) {
                Diagnostics::printWithContext(
                    "Restarting the surface finding process to deal with retracting too far");
                if (restarts >= maximumSurfaceFindingRestarts) {
                    abortSurfaceFinding();
                }
                return run(true, restarts + 1);
            }
            if (read("Error case going up, samples: ") == Reading::offSurface) {
                return robot_.currentCoordinate();
            }
            step(retractionStep_);
        }
    }

  private:
    // A sample repeated while it reads miscalibrated, a bounded number of times.
    Status resolvedSample() {
        for (int resample = 0; resample <= maximumMiscalibratedResamples; ++resample) {
            const Status status = sensing_.checkDispenserStatus();
            if (status != Status::connectedAndMiscalibrated) {
                return status;
            }
        }
        abortSurfaceFinding();
    }

    // Two samples decide when they agree on off or on the surface; one of
    // each is settled by a third, which counts as off the surface only when
    // it reads so (on the surface, open or shorted count as on it). An open
    // or shorted dispenser in the pair ends the run.
    Reading read(std::string_view faultMessage) {
        const Status first = resolvedSample();
        const Status second = resolvedSample();
        const auto isContactOrOff = [](Status s) {
            return s == Status::connectedAndOffSurface || s == Status::connectedAndOnSurface;
        };
        if (!isContactOrOff(first) || !isContactOrOff(second)) {
            std::string message(faultMessage);
            message.append(statusName(first)).append(", ").append(statusName(second));
            Diagnostics::printWithContext(message);
            abortSurfaceFinding();
        }
        if (first == second) {
            return first == Status::connectedAndOffSurface ? Reading::offSurface : Reading::onSurface;
        }
        return resolvedSample() == Status::connectedAndOffSurface ? Reading::offSurface : Reading::onSurface;
    }

    // Moves Z by the amount, refusing a target outside the robot's travel.
    void step(double amount) {
        const Coordinate target = robot_.currentCoordinate().coordinateByIncreasingHeight(amount);
        if (!robot_.isCoordinateWithinLimits(target)) {
            abortSurfaceFinding();
        }
        robot_.moveToPosition(target);
    }

    const double approachStep_;
    const double retractionStep_;
    Robot& robot_;
    DispenserSensing& sensing_;
    const std::function<void()>& recalibrationOperation_;
};

} // namespace

bool raiseIfDispenserMiscalibrated(double distance, Robot& robot, DispenserSensing& sensing) {
    if (!sensing.dispenserIsMiscalibrated()) {
        return false;
    }
    const Coordinate target = robot.currentCoordinate().coordinateByIncreasingHeight(distance);
    if (!robot.isCoordinateWithinLimits(target)) {
        abortSurfaceFinding();
    }
    robot.moveToPosition(target);
    return sensing.dispenserIsMiscalibrated();
}

bool raiseIfDispenserMiscalibrated(double distance, Robot& robot, Electronics& electronics) {
    ElectronicsDispenserSensing sensing(electronics);
    return raiseIfDispenserMiscalibrated(distance, robot, sensing);
}

Coordinate findSurfaceWithApproachStepSize(double approachStepSize, double retractionStepSize,
                                           bool shouldStepOffSurface, Robot& robot, DispenserSensing& sensing,
                                           const std::function<void()>& recalibrationOperation) {
    // A step of zero (or NaN) would sample forever at one height.
    const auto isUsableStep = [](double step) { return std::isfinite(step) && step > 0.0; };
    if (!isUsableStep(approachStepSize) || !isUsableStep(retractionStepSize)) {
        abortSurfaceFinding();
    }
    SurfaceFinder finder(approachStepSize, retractionStepSize, robot, sensing, recalibrationOperation);
    return finder.run(shouldStepOffSurface, 0);
}

Coordinate findSurfaceWithApproachStepSize(double approachStepSize, double retractionStepSize,
                                           bool shouldStepOffSurface, Robot& robot, Electronics& electronics,
                                           const std::function<void()>& recalibrationOperation) {
    ElectronicsDispenserSensing sensing(electronics);
    return findSurfaceWithApproachStepSize(approachStepSize, retractionStepSize, shouldStepOffSurface, robot,
                                           sensing, recalibrationOperation);
}

} // namespace Dotfield
