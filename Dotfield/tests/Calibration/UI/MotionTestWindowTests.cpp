// The automated motion test's window through its widgets, offscreen, on the
// simulated DropwrightIIb with a fast world clock.

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "Dotfield/Calibration/UI/AutomatedTestingWindowController.hpp"
#include "Dotfield/Platform/Alerts/ScriptedAlertPresenter.hpp"
#include "Dotfield/tests/Support/SimulatedIIbWindowFixture.hpp"

namespace Dotfield::testing {
namespace {

using VeltranePatterns::Coordinate;

const Coordinate a{1000, 1000, 108250};
const Coordinate b{357500, 1000, 108250};
const Coordinate c{1000, 307500, 108250};
const Coordinate d{357500, 307500, 108250};
const Coordinate e{1000, 1000, 0};

class MotionTestWindow : public SimulatedIIbWindowFixture {
  protected:
    MotionTestWindow() {
        options.clock = std::make_shared<Simulators::RealTimeWorldClock>(100.0);
        options.start = Simulators::WorldPoint{20000.0, 20000.0, 30000.0};
        for (const char* axis : {"X", "Y", "Z"}) {
            store->setDouble(200000.0, std::string("manualMovementVelocityFor") + axis);
        }
    }
    void SetUp() override {
        SimulatedIIbWindowFixture::SetUp();
        connectRobot();
        window = std::make_unique<AutomatedTestingWindowController>();
        window->setRobot(robot);
        window->setErrorHandler(errorHandler());
        window->show();
        // Every target the robot is sent to, in order.
        robot->setCoordinateUpdateObserver([this](const Coordinate& position) {
            std::lock_guard lock(mutex);
            targets.push_back(position);
        });
    }
    void TearDown() override {
        window->cancelPerformanceTestingLoop();
        waitUntil([this] { return !window->isTestRunning(); });
        waitForRobotQueue();
        window.reset();
        SimulatedIIbWindowFixture::TearDown();
    }
    std::vector<Coordinate> recorded() {
        std::lock_guard lock(mutex);
        return targets;
    }
    // Confirms the warning through the window's Start.
    void start(ScopedScriptedAlertPresenter& alerts, AlertResponse answer) {
        alerts.presenter().answer(answer);
        QTest::mouseClick(window->startButton(), Qt::LeftButton);
    }

    std::unique_ptr<AutomatedTestingWindowController> window;
    std::mutex mutex;
    std::vector<Coordinate> targets;
};

TEST_F(MotionTestWindow, ToursTheCornersUntilCancelledThenClosesAndLetsQueuedWorkRun) {
    ScopedScriptedAlertPresenter alerts;
    start(alerts, AlertResponse::defaultButton);
    ASSERT_EQ(alerts.presenter().shownAlerts().size(), 1U);
    EXPECT_EQ(alerts.presenter().shownAlerts()[0].messageText, "Beginning system test.");
    ASSERT_TRUE(waitUntil([this] { return recorded().size() >= 7; }));
    EXPECT_TRUE(window->isTestRunning());
    EXPECT_GT(saveScreenshot(*window, "AutomatedTestingWindowController", *window->cycleLabel()), 20);

    QTest::mouseClick(window->cancelButton(), Qt::LeftButton);
    const std::size_t atCancel = recorded().size();
    // A jog asked for meanwhile waits for the test to end.
    const Coordinate jog{50000, 60000, 70000};
    robot->runOnRoboticsQueue([this, jog] { robot->moveToPosition(jog); });
    ASSERT_TRUE(waitUntil([this] { return !window->isVisible(); }));
    waitForRobotQueue();

    const auto moves = recorded();
    const std::vector<Coordinate> tour{a, c, d, b, a, e, a, b, d, c, a, e, a, d, b, c, a, e, c, b, d, a, e};
    ASSERT_GE(moves.size(), atCancel + 1);
    ASSERT_LE(moves.size(), atCancel + 2) << "only the move under way ends before the test";
    // A first, then the 22 moves of the cycle over and over.
    for (std::size_t i = 0; i + 1 < moves.size(); ++i) {
        EXPECT_EQ(moves[i], tour[i == 0 ? 0 : 1 + (i - 1) % 22]) << i;
    }
    EXPECT_EQ(moves.back(), jog);
    EXPECT_FALSE(window->isTestRunning());
    EXPECT_TRUE(errors().empty());
}

TEST_F(MotionTestWindow, ClosingTheWindowStopsTheTest) {
    ScopedScriptedAlertPresenter alerts;
    start(alerts, AlertResponse::defaultButton);
    ASSERT_TRUE(waitUntil([this] { return recorded().size() >= 3; }));
    window->close();
    ASSERT_TRUE(waitUntil([this] { return !window->isTestRunning(); }));
    const std::size_t ended = recorded().size();
    waitForRobotQueue();
    EXPECT_EQ(recorded().size(), ended);
    EXPECT_TRUE(errors().empty());
}

TEST_F(MotionTestWindow, DecliningTheWarningMovesNothingAndClosesTheWindow) {
    ScopedScriptedAlertPresenter alerts;
    start(alerts, AlertResponse::alternateButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->isTestRunning());
    waitForRobotQueue();
    EXPECT_TRUE(recorded().empty());
}

TEST_F(MotionTestWindow, AFailedMoveReachesTheErrorHandlerOnceAndEndsTheTest) {
    // The way from C to D crosses it.
    world->placeObstruction(Simulators::WorldAxis::x, 200000.0, 210000.0);
    ScopedScriptedAlertPresenter alerts;
    start(alerts, AlertResponse::defaultButton);
    ASSERT_TRUE(waitUntil([this] { return !errors().empty() && !window->isTestRunning(); }));
    waitForRobotQueue();
    EXPECT_EQ(errors().size(), 1U);
    EXPECT_TRUE(window->isVisible());
    const auto moves = recorded();
    ASSERT_GE(moves.size(), 2U);
    EXPECT_EQ(moves[0], a);
    EXPECT_EQ(moves[1], c);
    EXPECT_NE(moves.back(), d);
    EXPECT_TRUE(window->startButton()->isEnabled());
}

TEST_F(MotionTestWindow, ARobotWithoutTravelLimitsIsRefusedWithAnAlert) {
    auto unlimited = Robot::make<Robot>(store);
    window->setRobot(unlimited);
    ScopedScriptedAlertPresenter alerts;
    start(alerts, AlertResponse::defaultButton);
    ASSERT_TRUE(waitUntil([&] { return alerts.presenter().shownAlerts().size() == 2; }));
    EXPECT_EQ(alerts.presenter().shownAlerts()[1].messageText, "The motion test cannot run on this positioner.");
    EXPECT_EQ(unlimited->currentCoordinate(), Coordinate::zero);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(errors().empty());
    window->setRobot(robot);
}

} // namespace
} // namespace Dotfield::testing
