#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/tests/Robotics/RecordingRobot.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

namespace Dotfield {
namespace {

using testing::emptySettings;
using testing::RecordingRobot;
using VeltranePatterns::AxisFlags;
using VeltranePatterns::Coordinate;

class RobotQueueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        robot->addObserverForMovementCompletion([this](bool busy) {
            EXPECT_TRUE(MainQueue::main().isCurrent());
            seen.push_back(busy);
        });
    }

    // Every false has had its true, counted from the start.
    static bool neverFalseFirst(const std::vector<bool>& notifications) {
        int open = 0;
        for (bool busy : notifications) {
            open += busy ? 1 : -1;
            if (open < 0) {
                return false;
            }
        }
        return true;
    }

    ScopedMainThreadPump mainThread;
    std::shared_ptr<RecordingRobot> robot = Robot::make<RecordingRobot>(emptySettings());
    // Touched on the main thread only.
    std::vector<bool> seen;
};

TEST_F(RobotQueueTest, TwoOperationsRunInOrderAndObserversNeverSeeFalseFirst) {
    std::mutex mutex;
    std::vector<int> ran;
    robot->runOnRoboticsQueue([&] {
        EXPECT_TRUE(robot->serialDispatchQueue().isCurrent());
        std::lock_guard lock(mutex);
        ran.push_back(1);
    });
    // Queued from the main thread, the first true is told before the call returns.
    EXPECT_EQ(seen, (std::vector<bool>{true}));
    robot->runOnRoboticsQueue([&] {
        std::lock_guard lock(mutex);
        ran.push_back(2);
    });
    ASSERT_TRUE(
        mainThread.pump().runUntil([&] { return seen.size() == 4; }, Dotfield::Testing::eventuallyLimit));
    EXPECT_TRUE(neverFalseFirst(seen)) << ::testing::PrintToString(seen);
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
}

TEST_F(RobotQueueTest, AnOperationQueuedFromAnotherThreadIsToldOnTheMainThread) {
    std::thread caller([&] { robot->runOnRoboticsQueue([] {}); });
    caller.join();
    ASSERT_TRUE(
        mainThread.pump().runUntil([&] { return seen.size() == 2; }, Dotfield::Testing::eventuallyLimit));
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
}

TEST_F(RobotQueueTest, AnOperationThatEndsByAnErrorStillEndsTheBusyState) {
    robot->runOnRoboticsQueue([] { throw std::runtime_error("escaped"); });
    robot->runOnRoboticsQueue([] {});
    ASSERT_TRUE(
        mainThread.pump().runUntil([&] { return seen.size() == 4; }, Dotfield::Testing::eventuallyLimit));
    EXPECT_TRUE(neverFalseFirst(seen));
    EXPECT_EQ(std::count(seen.begin(), seen.end(), false), 2);
}

TEST_F(RobotQueueTest, AnAbortFromTheMainThreadStopsAQueuedMove) {
    robot->placeAxesAt(Coordinate::zero);
    std::atomic<bool> polling{false};
    // The axes keep moving until the abort is seen.
    robot->answerPollsWith([&](AxisFlags asked) {
        polling.store(true);
        return asked;
    });
    std::atomic<bool> aborted{false};
    robot->runOnRoboticsQueue([&] {
        try {
            robot->moveToPosition(Coordinate(10000.0, 0.0, 0.0));
        } catch (const RoboticsError& error) {
            aborted.store(error.kind() == RoboticsError::Kind::abortedDuringMove);
        }
    });
    ASSERT_TRUE(
        mainThread.pump().runUntil([&] { return polling.load(); }, Dotfield::Testing::eventuallyLimit));
    robot->setMovementAborted(true);
    ASSERT_TRUE(
        mainThread.pump().runUntil([&] { return seen.size() == 2; }, Dotfield::Testing::eventuallyLimit));
    EXPECT_TRUE(aborted.load());
    EXPECT_FALSE(robot->movementAborted());
    // The fake's axes went straight to the target; the position read back is believed.
    EXPECT_EQ(robot->currentCoordinate(), Coordinate(10000.0, 0.0, 0.0));
}

TEST_F(RobotQueueTest, FieldsCanBeUsedFromTheMainThreadWhileAMoveRuns) {
    std::atomic<bool> done{false};
    robot->setCoordinateUpdateObserver([](const Coordinate&) {});
    robot->runOnRoboticsQueue([&] {
        for (int i = 1; i <= 200; ++i) {
            robot->moveToPosition(Coordinate(static_cast<double>(i), 0.0, 0.0));
        }
        done.store(true);
    });
    double lastX = 0.0;
    while (!done.load()) {
        const Coordinate position = robot->currentCoordinate();
        EXPECT_GE(position.x, lastX);
        lastX = position.x;
        robot->setSafePickupHeight(robot->safePickupHeight().value_or(0.0) + 1.0);
        robot->setCoordinateUpdateObserver([](const Coordinate&) {});
        mainThread.pump().runPending();
    }
    ASSERT_TRUE(
        mainThread.pump().runUntil([&] { return seen.size() == 2; }, Dotfield::Testing::eventuallyLimit));
    EXPECT_EQ(robot->currentCoordinate(), Coordinate(200.0, 0.0, 0.0));
}

} // namespace
} // namespace Dotfield
