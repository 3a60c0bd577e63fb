#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Platform/RepeatingTimer.hpp"
#include "Dotfield/Robotics/SurfaceFinding.hpp"
#include "Dotfield/tests/Robotics/RecordingRobot.hpp"
#include "Dotfield/tests/Support/ErrorCapture.hpp"

namespace Dotfield {
namespace {

using testing::emptySettings;
using testing::RecordingModel;
using testing::RecordingRobot;
using VeltranePatterns::Coordinate;
using Status = DispenserConnectionStatus;

constexpr Status off = Status::connectedAndOffSurface;
constexpr Status on = Status::connectedAndOnSurface;
constexpr Status miscalibrated = Status::connectedAndMiscalibrated;
constexpr Status disconnected = Status::disconnected;
constexpr Status shorted = Status::shortCircuit;

// The console messages are what these tests look at; they are written only
// with diagnostics switched on, which is decided once per process.
const bool diagnosticsSwitchedOn = [] { return ::setenv("DOTFIELD_DIAGNOSTICS", "1", 1) == 0; }();

// Statuses in the order a test scripts them, then, when they run out, the
// answer of a surface at a height: on the surface at or below it, off above.
class ScriptedSensing final : public DispenserSensing {
  public:
    explicit ScriptedSensing(Robot& robot) : robot_(robot) { poll.resume(); }

    DispenserConnectionStatus checkDispenserStatus() override {
        ++samples;
        if (!poll.isSuspended()) {
            ++samplesWhilePollRan;
        }
        if (!statuses.empty()) {
            const Status next = statuses.front();
            statuses.pop_front();
            return next;
        }
        if (failure) {
            std::rethrow_exception(failure);
        }
        return robot_.currentCoordinate().z <= surfaceHeight ? on : off;
    }
    bool dispenserIsMiscalibrated() override {
        if (miscalibration.empty()) {
            return false;
        }
        const bool answer = miscalibration.front();
        miscalibration.pop_front();
        return answer;
    }
    RepeatingTimer& statusPollTimer() override { return poll; }

    std::deque<Status> statuses;
    std::deque<bool> miscalibration;
    double surfaceHeight = -std::numeric_limits<double>::infinity();
    std::exception_ptr failure;
    // A poll that runs until surface finding suspends it.
    RepeatingTimer poll;
    int samples = 0;
    int samplesWhilePollRan = 0;

  private:
    Robot& robot_;
};

class SurfaceFinding : public ::testing::Test {
  protected:
    void SetUp() override { robot->setCurrentCoordinate({100, 200, 1000}); }

    // The Z targets of the moves the robot made.
    std::vector<std::string> zMoves() const {
        std::vector<std::string> moves;
        for (const std::string& call : robot->calls()) {
            if (call.starts_with("moveMotor z ")) {
                moves.push_back(call.substr(12));
            }
        }
        return moves;
    }

    Coordinate find(bool stepOff) {
        return findSurfaceWithApproachStepSize(10, 5, stepOff, *robot, sensing, [this] { ++recalibrations; });
    }

    // The console text of a run that must end with the robot's abort.
    std::string abortedRunMessages(bool stepOff) {
        ::testing::internal::CaptureStderr();
        RoboticsError::Kind kind = RoboticsError::Kind::internalTestFailure;
        try {
            find(stepOff);
        } catch (const RoboticsError& error) {
            kind = error.kind();
        }
        const std::string messages = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(kind, RoboticsError::Kind::abortedDuringMove);
        return messages;
    }

    void TearDown() override {
        EXPECT_FALSE(sensing.poll.isSuspended());
        EXPECT_EQ(sensing.samplesWhilePollRan, 0);
    }

    std::shared_ptr<RecordingRobot> robot =
        Robot::make<RecordingRobot>(emptySettings(), RecordingModel{.maximum = {300000, 300000, 90000}});
    ScriptedSensing sensing{*robot};
    int recalibrations = 0;
};

TEST_F(SurfaceFinding, StopsAtTheFirstContactOrStepsBackOffTheSurface) {
    sensing.surfaceHeight = 963;
    EXPECT_EQ(find(false), Coordinate(100, 200, 960));
    EXPECT_EQ(zMoves(), (std::vector<std::string>{"990.0", "980.0", "970.0", "960.0"}));

    robot->clearCalls();
    robot->setCurrentCoordinate({100, 200, 1000});
    EXPECT_EQ(find(true), Coordinate(100, 200, 965));
    EXPECT_EQ(zMoves(), (std::vector<std::string>{"990.0", "980.0", "970.0", "960.0", "965.0"}));
    EXPECT_EQ(recalibrations, 0);
}

TEST_F(SurfaceFinding, AThirdSampleSettlesADisagreeingPair) {
    // Off, on, off: one more step down; then on, off, disconnected: contact.
    sensing.statuses = {off, on, off, on, off, disconnected};
    EXPECT_EQ(find(false).z, 990);

    // Going up, off breaks the tie at once, and anything else steps up.
    robot->setCurrentCoordinate({0, 0, 1000});
    sensing.statuses = {off, off, on, on, on, off, shorted, off, on, off};
    EXPECT_EQ(find(true).z, 995);
    EXPECT_EQ(sensing.samples, 6 + 10);
}

TEST_F(SurfaceFinding, AnOpenOrShortedDispenserInAPairEndsTheRun) {
    sensing.statuses = {disconnected, off};
    EXPECT_NE(abortedRunMessages(false).find(
                  "Error case going down, samples: disconnected, connectedAndOffSurface"),
              std::string::npos);

    sensing.statuses = {on, on, shorted, on};
    EXPECT_NE(
        abortedRunMessages(true).find("Error case going up, samples: shortCircuit, connectedAndOnSurface"),
        std::string::npos);
    EXPECT_EQ(zMoves(), std::vector<std::string>{});
}

TEST_F(SurfaceFinding, RetractingPastTheStartBeginsAgainFromThere) {
    // Contact at once, then still on the surface one step up, above the
    // start; the new run starts from there and steps off at once.
    sensing.statuses = {on, on, on, on, on, on, off, off};
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(find(true).z, 1005);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find(
                  "Restarting the surface finding process to deal with retracting too far"),
              std::string::npos);
    EXPECT_EQ(zMoves(), (std::vector<std::string>{"1005.0"}));

    // A surface that follows the tip up restarts again and again, a bounded number of times.
    robot->clearCalls();
    sensing.surfaceHeight = std::numeric_limits<double>::infinity();
    EXPECT_NE(abortedRunMessages(true).find("Restarting"), std::string::npos);
    EXPECT_EQ(zMoves().size(), static_cast<std::size_t>(maximumSurfaceFindingRestarts + 1));
}

TEST_F(SurfaceFinding, ADispenserThatStaysMiscalibratedEndsTheRun) {
    sensing.statuses.assign(maximumMiscalibratedResamples, miscalibrated);
    sensing.statuses.push_back(off); // the last sample that may resolve it
    sensing.surfaceHeight = 995;
    EXPECT_EQ(find(false).z, 990);

    sensing.statuses.assign(2 + maximumMiscalibratedResamples, miscalibrated);
    abortedRunMessages(false);
    EXPECT_EQ(sensing.statuses.size(), 1u);
}

TEST_F(SurfaceFinding, StepsStayWithinTheTravel) {
    auto bounded = Robot::make<RecordingRobot>(emptySettings(), RecordingModel{.minimum = {0, 0, 990}});
    ScriptedSensing boundedSensing(*bounded);
    bounded->setCurrentCoordinate({0, 0, 1000});
    // A target exactly on the limit is allowed, the next step is not.
    EXPECT_THROW(findSurfaceWithApproachStepSize(10, 5, false, *bounded, boundedSensing, {}), RoboticsError);
    EXPECT_EQ(bounded->currentCoordinate().z, 990);
    EXPECT_FALSE(boundedSensing.poll.isSuspended());

    // Raising a miscalibrated dispenser past the top of the travel is refused too.
    robot->setCurrentCoordinate({0, 0, 89900});
    sensing.miscalibration = {true};
    EXPECT_THROW(find(false), RoboticsError);
    EXPECT_EQ(zMoves(), std::vector<std::string>{});
}

TEST_F(SurfaceFinding, AMiscalibratedDispenserIsRaisedAndRecalibratedOnlyWhenItStaysSo) {
    // Starting on the surface reads as miscalibrated: raised, then off, no recalibration.
    sensing.miscalibration = {true, false};
    sensing.surfaceHeight = 1150;
    EXPECT_EQ(find(false).z, 1150);
    EXPECT_EQ(zMoves().front(), "1200.0");
    EXPECT_EQ(recalibrations, 0);

    sensing.miscalibration = {true, true};
    robot->clearCalls();
    find(false);
    EXPECT_EQ(recalibrations, 1);
    EXPECT_EQ(zMoves().front(), "1350.0");
}

TEST_F(SurfaceFinding, StepsThatAreNoDistanceAreRefusedBeforeAnythingMoves) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const auto& [approach, retraction] : {std::pair{0.0, 5.0},
                                               {-10.0, 5.0},
                                               {nan, 5.0},
                                               {10.0, 0.0},
                                               {10.0, std::numeric_limits<double>::infinity()}}) {
        EXPECT_THROW(findSurfaceWithApproachStepSize(approach, retraction, true, *robot, sensing, {}),
                     RoboticsError);
    }
    EXPECT_EQ(sensing.samples, 0);
    EXPECT_EQ(robot->calls(), std::vector<std::string>{});
}

TEST_F(SurfaceFinding, ErrorsOfTheSamplesAndMovesPassUnchanged) {
    sensing.failure =
        std::make_exception_ptr(ElectronicsError(ElectronicsErrorKind::unrecoverableCommunicationNoise));
    sensing.statuses = {off, off};
    EXPECT_THROW(find(true), ElectronicsError);

    sensing.failure = nullptr;
    robot->failOn("moveMotor z");
    EXPECT_EQ(errorThrownBy<RoboticsError>([&] { find(false); }).kind(),
              RoboticsError::Kind::corruptedCommunications);
}

} // namespace
} // namespace Dotfield
