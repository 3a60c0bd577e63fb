// The rotational calibration window through its widgets, offscreen, on the
// simulated DropwrightIIb.

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "Dotfield/Calibration/UI/RotationalCalibrationWindowController.hpp"
#include "Dotfield/tests/Support/SimulatedIIbWindowFixture.hpp"

namespace Dotfield::testing {
namespace {

using VeltranePatterns::Coordinate;

constexpr double countResolution = 2.5;

class RotationalCalibrationWindow : public SimulatedIIbWindowFixture {
  protected:
    RotationalCalibrationWindow() {
        options.start = Simulators::WorldPoint{20000.0, 20000.0, 30000.0};
        // X moves slowly by hand, so that a move takes a while of world time.
        store->setDouble(5000.0, "manualMovementVelocityForX");
        store->setDouble(100000.0, "manualMovementVelocityForY");
        store->setDouble(100000.0, "manualMovementVelocityForZ");
    }
    void SetUp() override {
        SimulatedIIbWindowFixture::SetUp();
        window = makeWindow();
        window->show();
        connectRobot();
        ASSERT_TRUE(waitUntil([this] { return window->firstPointButton()->isEnabled(); }));
    }
    void TearDown() override {
        if (robot) {
            waitForRobotQueue();
        }
        window.reset();
        SimulatedIIbWindowFixture::TearDown();
    }
    std::unique_ptr<RotationalCalibrationWindowController> makeWindow() {
        auto made = std::make_unique<RotationalCalibrationWindowController>(store);
        made->setRobot(robot);
        made->setErrorHandler(errorHandler());
        return made;
    }
    void moveTo(const Coordinate& target) {
        robot->serialDispatchQueue().sync([&] { robot->moveToPosition(target); });
    }
    // Clicks a take button and waits until the point is there.
    void take(QPushButton* button, const std::optional<Coordinate>& (RotationalCalibrationWindowController::*point)() const) {
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_TRUE(waitUntil([&] { return ((*window).*point)().has_value(); }));
    }
    std::string text(QLineEdit* field) const { return field->text().toStdString(); }

    std::unique_ptr<RotationalCalibrationWindowController> window;
};

TEST_F(RotationalCalibrationWindow, TwoTakenPointsGiveTheAngleAndComeBackUntilCleared) {
    EXPECT_EQ(text(window->firstPointTextField()), "(0, 0, 0)");
    EXPECT_EQ(text(window->rotationAngleTextField()), "Calibrated angle: 0.0 degrees");

    moveTo({10000, 10000, 30000});
    take(window->firstPointButton(), &RotationalCalibrationWindowController::firstPointOnLine);
    EXPECT_EQ(text(window->rotationAngleTextField()), "Calibrated angle: 0.0 degrees");
    moveTo({50000, 12000, 30000});
    take(window->secondPointButton(), &RotationalCalibrationWindowController::secondPointOnLine);

    EXPECT_EQ(text(window->firstPointTextField()), "(10000, 10000, 30000)");
    EXPECT_EQ(text(window->secondPointTextField()), "(50000, 12000, 30000)");
    EXPECT_EQ(text(window->rotationAngleTextField()), "Calibrated angle: 2.9 degrees");
    EXPECT_EQ(store->coordinate("rotationalCalibrationFirstPoint"), window->firstPointOnLine());
    EXPECT_EQ(store->coordinate("rotationalCalibrationSecondPoint"), window->secondPointOnLine());
    EXPECT_GT(saveScreenshot(*window, "RotationalCalibrationWindowController", *window->rotationAngleTextField()), 20);
    EXPECT_TRUE(errors().empty());

    // A new controller over the same store shows the same.
    auto relaunched = makeWindow();
    EXPECT_EQ(text(relaunched->firstPointTextField()), "(10000, 10000, 30000)");
    EXPECT_EQ(text(relaunched->rotationAngleTextField()), "Calibrated angle: 2.9 degrees");

    QTest::mouseClick(relaunched->clearButton(), Qt::LeftButton);
    EXPECT_EQ(text(relaunched->firstPointTextField()), "(0, 0, 0)");
    EXPECT_EQ(text(relaunched->secondPointTextField()), "(0, 0, 0)");
    EXPECT_EQ(text(relaunched->rotationAngleTextField()), "Calibrated angle: 0.0 degrees");
    EXPECT_FALSE(store->object("rotationalCalibrationFirstPoint").has_value());
    EXPECT_FALSE(store->object("rotationalCalibrationSecondPoint").has_value());
    EXPECT_FALSE(makeWindow()->firstPointOnLine().has_value());
}

TEST_F(RotationalCalibrationWindow, APointAskedForBehindASlowMoveIsTakenAfterItWhileEventsGoOn) {
    // The move runs on the robot's queue; the window is not blocked meanwhile.
    robot->serialDispatchQueue().async([this] { robot->moveToPosition({40000, 20000, 30000}); });
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(5);

    QTest::mouseClick(window->firstPointButton(), Qt::LeftButton);
    EXPECT_FALSE(window->firstPointOnLine().has_value());
    ASSERT_TRUE(waitUntil([this] { return window->firstPointOnLine().has_value(); }));
    EXPECT_GT(ticks, 3);
    EXPECT_NEAR(window->firstPointOnLine()->x, 40000.0, countResolution);
    EXPECT_NEAR(world->tipPosition().x, 40000.0, countResolution);
    EXPECT_EQ(text(window->firstPointTextField()), window->firstPointOnLine()->description());
}

TEST_F(RotationalCalibrationWindow, ASilentPositionerGivesOneErrorAndThePointKeepsItsValue) {
    moveTo({10000, 10000, 30000});
    take(window->firstPointButton(), &RotationalCalibrationWindowController::firstPointOnLine);
    const Coordinate kept = *window->firstPointOnLine();

    bus->goSilent();
    QTest::mouseClick(window->firstPointButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([this] { return !errors().empty(); }));
    waitForRobotQueue();
    // A retry the error led to would have run and failed by the second round.
    waitForRobotQueue();
    EXPECT_EQ(errors().size(), 1u);
    EXPECT_EQ(window->firstPointOnLine(), kept);
    EXPECT_EQ(store->coordinate("rotationalCalibrationFirstPoint"), kept);
    EXPECT_EQ(text(window->firstPointTextField()), "(10000, 10000, 30000)");
    bus->speakAgain();
}

TEST_F(RotationalCalibrationWindow, WithoutARobotThePointsCannotBeTaken) {
    RotationalCalibrationWindowController bare(store);
    bare.setRobotReadyToMove(true);
    EXPECT_FALSE(bare.firstPointButton()->isEnabled());
    EXPECT_FALSE(bare.secondPointButton()->isEnabled());
    bare.useCurrentCoordinateForFirstPoint();
    EXPECT_FALSE(bare.firstPointOnLine().has_value());
}

} // namespace
} // namespace Dotfield::testing
