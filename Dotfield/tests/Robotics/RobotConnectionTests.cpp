#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Dotfield/Instrument/Errors/SerialPortConnectionError.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Robotics/RobotConnection.hpp"
#include "Dotfield/tests/Robotics/RecordingRobot.hpp"
#include "Dotfield/tests/Support/ErrorCapture.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

namespace Dotfield {
namespace {

using testing::emptySettings;
using testing::RecordingRobot;
using VeltranePatterns::Coordinate;
using Calls = std::vector<std::string>;

// A port object that stands for an open link; no driver call is made on it.
std::shared_ptr<SerialPort> standInPort() {
    return std::make_shared<SerialPort>(nullptr);
}

class RobotConnectionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        robot->setCoordinateUpdateObserver([this](const Coordinate& c) { reported.push_back(c); });
        robot->setCurrentCoordinate(Coordinate(1.0, 2.0, 3.0));
        robot->placeAxesAt(Coordinate(100.0, 200.0, 300.0));
    }

    // Opens a stand-in port, noting what it was asked to open.
    Robot::SerialPortOpener opener() {
        return [this](const SerialPortProperties& properties) {
            requested.push_back(properties.portName);
            openedOnRobotQueue = robot->serialDispatchQueue().isCurrent();
            return port;
        };
    }

    std::shared_ptr<RecordingRobot> robot = Robot::make<RecordingRobot>(emptySettings());
    std::shared_ptr<SerialPort> port = standInPort();
    std::vector<std::string> requested;
    bool openedOnRobotQueue = false;
    std::vector<Coordinate> reported;
};

TEST_F(RobotConnectionTest, StoresTheLinkReadsThePositionAndAppliesTheManualSpeeds) {
    initializeConnectionToRobot(*robot, opener());
    EXPECT_EQ(requested, (std::vector<std::string>{RecordingRobot::portName}));
    EXPECT_TRUE(openedOnRobotQueue);
    EXPECT_EQ(robot->serialPort(), port);
    EXPECT_EQ(robot->currentCoordinate(), Coordinate(100.0, 200.0, 300.0));
    EXPECT_EQ(reported, (std::vector<Coordinate>{Coordinate(100.0, 200.0, 300.0)}));
    EXPECT_EQ(robot->calls(),
              (Calls{"retrieveSerialPort", "readCurrentPosition", "needsToHome", "setVelocity x 100000.0",
                     "setVelocity y 100000.0", "setVelocity z 100000.0", "setAcceleration x 100000.0",
                     "setAcceleration y 100000.0", "setAcceleration z 100000.0"}));
}

TEST_F(RobotConnectionTest, AFailedOpenIsNotConnectedOnAllAxesAndChangesNothing) {
    const std::vector<std::function<void()>> failures = {
        [] { throw SerialPortConnectionError(SerialPortConnectionErrorKind::deviceMissing); },
        [] { throw CommunicationsError::failedStatusCheck(); },
        [] { throw RoboticsError(RoboticsError::Kind::corruptedCommunications); },
    };
    for (const auto& failure : failures) {
        const auto error = errorThrownBy<RoboticsError>([&] {
            initializeConnectionToRobot(*robot,
                                        [&](const SerialPortProperties&) -> std::shared_ptr<SerialPort> {
                                            failure();
                                            return nullptr;
                                        });
        });
        EXPECT_EQ(error.kind(), RoboticsError::Kind::notConnected);
        EXPECT_EQ(error.axes(), (std::set<MotorPosition>{MotorPosition::allMotors}));
    }
    EXPECT_EQ(robot->serialPort(), nullptr);
    EXPECT_EQ(robot->currentCoordinate(), Coordinate(1.0, 2.0, 3.0));
    EXPECT_TRUE(reported.empty());
    EXPECT_EQ(robot->calls(), (Calls(3, "retrieveSerialPort")));
}

TEST_F(RobotConnectionTest, TheAxesAModelNamesArePassedOn) {
    const auto error = errorThrownBy<RoboticsError>([&] {
        initializeConnectionToRobot(*robot, [](const SerialPortProperties&) -> std::shared_ptr<SerialPort> {
            throw RoboticsError::notConnected({MotorPosition::yMotor});
        });
    });
    EXPECT_EQ(error.kind(), RoboticsError::Kind::notConnected);
    EXPECT_EQ(error.axes(), (std::set<MotorPosition>{MotorPosition::yMotor}));
}

TEST_F(RobotConnectionTest, APositionerThatNeedsHomingKeepsItsLinkAndGetsNoSpeeds) {
    robot->reportNeedsToHome(true);
    const auto error = errorThrownBy<RoboticsError>([&] { initializeConnectionToRobot(*robot, opener()); });
    EXPECT_EQ(error.kind(), RoboticsError::Kind::needsToHome);
    EXPECT_EQ(robot->serialPort(), port);
    EXPECT_EQ(robot->currentCoordinate(), Coordinate(100.0, 200.0, 300.0));
    EXPECT_EQ(robot->calls(), (Calls{"retrieveSerialPort", "readCurrentPosition", "needsToHome"}));
}

TEST_F(RobotConnectionTest, AFailedPositionReadIsThrownUnchanged) {
    robot->failOn("readCurrentPosition");
    const auto error = errorThrownBy<RoboticsError>([&] { initializeConnectionToRobot(*robot, opener()); });
    EXPECT_EQ(error.kind(), RoboticsError::Kind::corruptedCommunications);
    EXPECT_EQ(robot->currentCoordinate(), Coordinate(1.0, 2.0, 3.0));
}

TEST_F(RobotConnectionTest, AReconnectionReplacesTheStoredLink) {
    initializeConnectionToRobot(*robot, opener());
    port = standInPort();
    initializeConnectionToRobot(*robot, opener());
    EXPECT_EQ(robot->serialPort(), port);
}

// ---- Position reads for callers outside the robot code ------------------------------------

TEST_F(RobotConnectionTest, AReadFromOutsideTheRobotQueueRunsOnIt) {
    bool toldOnRobotQueue = false;
    robot->setCoordinateUpdateObserver(
        [&](const Coordinate&) { toldOnRobotQueue = robot->serialDispatchQueue().isCurrent(); });
    EXPECT_EQ(robot->readAndStoreCurrentPosition(), Coordinate(100.0, 200.0, 300.0));
    EXPECT_EQ(robot->currentCoordinate(), Coordinate(100.0, 200.0, 300.0));
    EXPECT_TRUE(toldOnRobotQueue);
}

class PositionReadTest : public RobotConnectionTest {
  protected:
    ScopedMainThreadPump mainThread;
};

TEST_F(PositionReadTest, AnAsynchronousReadStoresTellsAndCompletesOnTheMainQueue) {
    std::optional<Coordinate> answered;
    bool completedOnMainThread = false;
    bool completed = false;
    robot->readCurrentPositionAsynchronously(
        [&](const std::optional<Coordinate>& position, std::exception_ptr error) {
            answered = position;
            completedOnMainThread = MainQueue::main().isCurrent();
            completed = error == nullptr;
        });
    ASSERT_TRUE(
        mainThread.pump().runUntil([&] { return answered.has_value(); }, Dotfield::Testing::eventuallyLimit));
    EXPECT_TRUE(completed);
    EXPECT_TRUE(completedOnMainThread);
    EXPECT_EQ(*answered, Coordinate(100.0, 200.0, 300.0));
    EXPECT_EQ(robot->currentCoordinate(), Coordinate(100.0, 200.0, 300.0));
    EXPECT_EQ(reported, (std::vector<Coordinate>{Coordinate(100.0, 200.0, 300.0)}));
}

TEST_F(PositionReadTest, AFailedAsynchronousReadCompletesWithTheError) {
    robot->failOn("readCurrentPosition");
    std::exception_ptr failure;
    bool completed = false;
    robot->readCurrentPositionAsynchronously(
        [&](const std::optional<Coordinate>& position, std::exception_ptr error) {
            EXPECT_FALSE(position.has_value());
            failure = error;
            completed = true;
        });
    ASSERT_TRUE(mainThread.pump().runUntil([&] { return completed; }, Dotfield::Testing::eventuallyLimit));
    EXPECT_EQ(errorThrownBy<RoboticsError>([&] { std::rethrow_exception(failure); }).kind(),
              RoboticsError::Kind::corruptedCommunications);
    EXPECT_EQ(robot->currentCoordinate(), Coordinate(1.0, 2.0, 3.0));
    EXPECT_TRUE(reported.empty());
}

} // namespace
} // namespace Dotfield
