// The manual controls window through its widgets, offscreen, on the simulated
// DropwrightIIb: enabling, jogging, homing, the safe height, surface finding
// and abort, each checked in the world the positioner moves.

#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include "Dotfield/Application/ManualControls/JogTable.hpp"
#include "Dotfield/Application/SavedPositionSettings.hpp"
#include "Dotfield/Application/UI/ManualControlsWindowController.hpp"
#include "Dotfield/Application/UI/SavedPositionsController.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/tests/Support/SimulatedIIbWindowFixture.hpp"
#include "Dotfield/tests/Support/SampledDispenser.hpp"

namespace Dotfield::testing {
namespace {

using Simulators::WorldAxis;
using Simulators::WorldPoint;
using VeltranePatterns::Coordinate;

// µm per SmartMotor count of the IIb: positions read back to within this.
constexpr double countResolution = 2.5;
constexpr double safeHeight = 60000.0;

class ManualControlsWindow : public SimulatedIIbWindowFixture {
  protected:
    explicit ManualControlsWindow(WorldPoint start = {50000.0, 40000.0, 30000.0}) { options.start = start; }

    void SetUp() override {
        SimulatedIIbWindowFixture::SetUp();
        window = std::make_unique<ManualControlsWindowController>(store);
        window->setErrorHandler(errorHandler());
        window->setRobot(robot);
        window->registerRobotCallbacks();
        window->show();
    }
    void TearDown() override {
        if (robot) {
            waitForRobotQueue();
        }
        window.reset();
        SimulatedIIbWindowFixture::TearDown();
    }

    void connect() {
        connectRobot();
        ASSERT_TRUE(waitUntil([this] {
            return window->robotReadyToMove() && display() == robot->currentCoordinate().description();
        }));
    }
    // Clicks and waits until the robot is idle again.
    void clickAndWait(QPushButton* button) {
        click(button);
        ASSERT_TRUE(waitUntil([this] { return window->robotReadyToMove(); }));
        waitForRobotQueue();
    }
    void enter(QLineEdit* field, const QString& text) {
        field->selectAll();
        field->clear();
        if (!text.isEmpty()) {
            QTest::keyClicks(field, text);
        }
        QTest::keyClick(field, Qt::Key_Return);
    }
    std::map<JogButton, bool> jogEnabling() const {
        std::map<JogButton, bool> enabled;
        for (const JogButton button : allJogButtons) {
            enabled[button] = window->jogButton(button)->isEnabled();
        }
        return enabled;
    }
    bool anyJogEnabled() const {
        for (const JogButton button : allJogButtons) {
            if (window->jogButton(button)->isEnabled()) {
                return true;
            }
        }
        return false;
    }
    std::string display() const { return window->coordinateDisplay()->text().toStdString(); }

    std::unique_ptr<ManualControlsWindowController> window;
};

// At the home corner: X and Y at their switches (0), Z at the top.
class ManualControlsAtHome : public ManualControlsWindow {
  protected:
    ManualControlsAtHome() : ManualControlsWindow({0.0, 0.0, 109250.0}) {}
};

TEST_F(ManualControlsAtHome, JogButtonsFollowTheConnectionTheTravelAndTheSteps) {
    EXPECT_FALSE(anyJogEnabled());
    EXPECT_FALSE(window->homeButton()->isEnabled());
    EXPECT_TRUE(window->abortButton()->isEnabled());

    connect();
    EXPECT_EQ(display(), "(0, 0, 109250)");
    using enum JogButton;
    const std::map<JogButton, bool> atHome{
        {backLarge, false}, {backSmall, false}, {forwardLarge, true}, {forwardSmall, true},
        {leftLarge, false}, {leftSmall, false}, {rightLarge, true},   {rightSmall, true},
        {upLarge, false},   {upSmall, false},   {downLarge, true},    {downSmall, true},
    };
    EXPECT_EQ(jogEnabling(), atHome);
    EXPECT_TRUE(window->homeButton()->isEnabled());
    EXPECT_TRUE(window->safeHeightButton()->isEnabled());
    EXPECT_FALSE(window->findSurfaceButton()->isEnabled());

    // 400000 µm to the right leaves the 357500 µm of X travel; 100 µm does not.
    enter(window->largeStepSizeField(), "400000");
    EXPECT_EQ(window->largeStepSize(), 400000.0);
    EXPECT_EQ(store->doubleForKey("largeStepSize"), 400000.0);
    EXPECT_FALSE(window->jogButton(rightLarge)->isEnabled());
    EXPECT_FALSE(window->jogButton(forwardLarge)->isEnabled());
    EXPECT_TRUE(window->jogButton(rightSmall)->isEnabled());
    EXPECT_FALSE(window->jogButton(downLarge)->isEnabled());

    // Entries that are no step change nothing, and the field shows the kept step.
    for (const QString& bad : {QString("0"), QString("abc"), QString("-20"), QString()}) {
        enter(window->largeStepSizeField(), bad);
        enter(window->smallStepSizeField(), bad);
        EXPECT_EQ(window->largeStepSize(), 400000.0);
        EXPECT_EQ(window->smallStepSize(), 100.0);
        EXPECT_EQ(window->largeStepSizeField()->text(), "400000.0");
        EXPECT_EQ(window->smallStepSizeField()->text(), "100.0");
    }
    EXPECT_EQ(store->doubleForKey("largeStepSize"), 400000.0);
    EXPECT_FALSE(store->doubleForKey("smallStepSize").has_value());

    // The saved-positions panel opens once the window shows.
    EXPECT_TRUE(waitUntil([this] { return window->savedPositionsPanel()->isVisible(); }));

    // A new window over the same store starts from the stored steps.
    ManualControlsWindowController again(store);
    EXPECT_EQ(again.largeStepSize(), 400000.0);
    EXPECT_EQ(again.smallStepSize(), 100.0);

    // The position is drawn: its field holds dark text pixels.
    EXPECT_GT(saveScreenshot(*window, "ManualControlsWindowController", *window->coordinateDisplay()), 20);
}

TEST_F(ManualControlsWindow, WithoutARobotNothingCanBePressedAndClosingRunsTheOperationOnce) {
    ManualControlsWindowController bare(store);
    bare.show();
    EXPECT_FALSE(bare.homeButton()->isEnabled());
    EXPECT_FALSE(bare.safeHeightButton()->isEnabled());
    EXPECT_FALSE(bare.findSurfaceButton()->isEnabled());
    EXPECT_FALSE(bare.abortButton()->isEnabled());
    bare.setRobotReadyToMove(true);
    bare.setDispenserConnected(true);
    EXPECT_TRUE(bare.canFindSurface());
    for (const JogButton button : allJogButtons) {
        EXPECT_FALSE(bare.jogButton(button)->isEnabled());
    }
    EXPECT_FALSE(bare.findSurfaceButton()->isEnabled());
    // The actions themselves do nothing.
    bare.takeManualMovementStep(JogButton::rightSmall);
    bare.home();
    bare.moveToSafePickupHeight();
    bare.findSurface();
    bare.abortMovement();

    int closings = 0;
    bare.setWindowClosingOperation([&closings] { ++closings; });
    bare.close();
    bare.show();
    bare.close();
    EXPECT_EQ(closings, 1);

    // A robot without a safe pickup height: the safe-height action is unavailable.
    connect();
    robot->setSafePickupHeight(std::nullopt);
    window->setRobotReadyToMove(true);
    EXPECT_FALSE(window->safeHeightButton()->isEnabled());
    EXPECT_TRUE(window->homeButton()->isEnabled());
}

TEST_F(ManualControlsWindow, ASmallStepRightMovesTheWorldWithEveryJogDisabledMeanwhile) {
    connect();
    EXPECT_EQ(display(), "(50000, 40000, 30000)");
    std::atomic<bool> jogEnabledWhileMoving{false};
    click(window->jogButton(JogButton::rightSmall));
    EXPECT_FALSE(anyJogEnabled());
    EXPECT_FALSE(window->robotReadyToMove());
    // Watch the buttons from the main thread for as long as the X axis runs.
    ASSERT_TRUE(waitUntil([&] {
        if (world->axis(WorldAxis::x).moving && anyJogEnabled()) {
            jogEnabledWhileMoving = true;
        }
        return window->robotReadyToMove();
    }));
    EXPECT_FALSE(jogEnabledWhileMoving);
    EXPECT_NEAR(world->tipPosition().x, 50100.0, countResolution);
    EXPECT_NEAR(world->tipPosition().y, 40000.0, countResolution);
    EXPECT_NEAR(world->tipPosition().z, 30000.0, countResolution);
    EXPECT_EQ(display(), "(50100, 40000, 30000)");
    EXPECT_TRUE(window->jogButton(JogButton::rightSmall)->isEnabled());
    EXPECT_TRUE(errors().empty());
}

TEST_F(ManualControlsWindow, SafeHeightLiftsBelowTheCeilingAndLeavesTheDispenserAboveIt) {
    connect();
    clickAndWait(window->safeHeightButton());
    EXPECT_NEAR(world->tipPosition().z, safeHeight, countResolution);
    EXPECT_NEAR(world->tipPosition().x, 50000.0, countResolution);
    EXPECT_EQ(display(), "(50000, 40000, 60000)");

    // Up by 20000 to 80000, above the ceiling: the action moves nothing.
    enter(window->largeStepSizeField(), "20000");
    clickAndWait(window->jogButton(JogButton::upLarge));
    ASSERT_NEAR(world->tipPosition().z, 80000.0, countResolution);
    bus->clearTranscript();
    clickAndWait(window->safeHeightButton());
    EXPECT_NEAR(world->tipPosition().z, 80000.0, countResolution);
    for (const auto& command : bus->transcript()) {
        EXPECT_NE(command.command, "PT") << "a target was sent to motor " << command.motor;
    }
    EXPECT_TRUE(errors().empty());
}

// X moves slowly by hand, so that a large step takes seconds of world time.
class ManualControlsWithSlowX : public ManualControlsWindow {
  protected:
    ManualControlsWithSlowX() {
        store->setDouble(5000.0, "manualMovementVelocityForX");
        store->setDouble(100000.0, "manualMovementVelocityForY");
        store->setDouble(100000.0, "manualMovementVelocityForZ");
    }
};

TEST_F(ManualControlsWithSlowX, AbortStopsALongJogShortAndTheNextJogRunsNormally) {
    connect();

    // Abort with the robot idle leaves nothing behind for the next move.
    click(window->abortButton());
    EXPECT_FALSE(robot->movementAborted());

    enter(window->largeStepSizeField(), "200000");
    click(window->jogButton(JogButton::rightLarge));
    ASSERT_TRUE(waitUntil([this] { return world->tipPosition().x > 52000.0; }));
    click(window->abortButton());
    ASSERT_TRUE(waitUntil([this] { return window->robotReadyToMove(); }));
    waitForRobotQueue();

    const WorldPoint stopped = world->tipPosition();
    EXPECT_FALSE(world->axis(WorldAxis::x).moving);
    EXPECT_LT(stopped.x, 240000.0);
    const Coordinate readBack = robot->currentCoordinate();
    EXPECT_NEAR(readBack.x, stopped.x, countResolution);
    EXPECT_EQ(display(), readBack.description());
    ASSERT_EQ(errors().size(), 1u);
    try {
        std::rethrow_exception(errors().front());
    } catch (const RoboticsError& error) {
        EXPECT_EQ(error.kind(), RoboticsError::Kind::abortedDuringMove);
    }

    clickAndWait(window->jogButton(JogButton::rightSmall));
    EXPECT_NEAR(world->tipPosition().x, readBack.x + 100.0, countResolution);
    EXPECT_EQ(errors().size(), 1u);
}

// One stored saved position.
class ManualControlsWithASavedPosition : public ManualControlsWindow {
  protected:
    ManualControlsWithASavedPosition() {
        storeSavedPositions(*store, std::vector<SavedPosition>{{"Well A1", Coordinate{20000, 25000, 10000}}},
                                 "savedPositions");
    }
};

TEST_F(ManualControlsWithASavedPosition, GoToTravelsToTheSelectedPositionOverTheSafeHeight) {
    connect();
    SavedPositionsController& saved = *window->savedPositionsController();
    ASSERT_EQ(saved.savedPositions().size(), 1u);
    EXPECT_EQ(saved.robot(), robot);
    ASSERT_TRUE(waitUntil([this] { return window->savedPositionsPanel()->isVisible(); }));
    saved.savedPositionsTable()->selectRow(0);
    bus->clearTranscript();
    clickAndWait(saved.goToButton());

    EXPECT_NEAR(world->tipPosition().x, 20000.0, countResolution);
    EXPECT_NEAR(world->tipPosition().y, 25000.0, countResolution);
    EXPECT_NEAR(world->tipPosition().z, 10000.0, countResolution);
    // Z had two targets: up to the travel height, then down to the position.
    const auto transcript = bus->transcript();
    const auto zTargets = std::count_if(transcript.begin(), transcript.end(), [](const auto& command) {
        return command.motor == 2 && command.command == "PT";
    });
    EXPECT_EQ(zTargets, 2);
    EXPECT_EQ(display(), "(20000, 25000, 10000)");
    EXPECT_TRUE(errors().empty());
}

// A positioner that must be homed before it moves.
class ManualControlsUnhomed : public ManualControlsWindow {
  protected:
    ManualControlsUnhomed() { options.homed = false; }
};

TEST_F(ManualControlsUnhomed, HomeHomesThePositionerAndStoresAndShowsTheHome) {
    connect();
    clickAndWait(window->homeButton());
    const auto stored = store->coordinate("storedHomeLocation");
    ASSERT_TRUE(stored.has_value());
    EXPECT_NEAR(stored->x, 0.0, countResolution);
    EXPECT_NEAR(stored->y, 0.0, countResolution);
    EXPECT_NEAR(stored->z, 109250.0, countResolution);
    EXPECT_EQ(robot->homePosition(), stored);
    EXPECT_EQ(display(), stored->description());
    EXPECT_FALSE(world->needsHoming());
    EXPECT_TRUE(errors().empty());
}

// The home is known: Home travels there over the safe height.
class ManualControlsWithKnownHome : public ManualControlsWindow {
  protected:
    ManualControlsWithKnownHome() { store->setCoordinate(Coordinate{2000, 3000, 8000}, "storedHomeLocation"); }
};

TEST_F(ManualControlsWithKnownHome, HomeRisesToTheSafeHeightBeforeCrossing) {
    connect();
    std::mutex traceMutex;
    std::vector<WorldPoint> trace;
    std::atomic<bool> tracing{true};
    std::thread tracer([&] {
        while (tracing) {
            const WorldPoint tip = world->tipPosition();
            {
                std::lock_guard lock(traceMutex);
                trace.push_back(tip);
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    });
    clickAndWait(window->homeButton());
    tracing = false;
    tracer.join();

    EXPECT_NEAR(world->tipPosition().x, 2000.0, countResolution);
    EXPECT_NEAR(world->tipPosition().y, 3000.0, countResolution);
    EXPECT_NEAR(world->tipPosition().z, 8000.0, countResolution);
    int crossing = 0;
    double highest = 0.0;
    for (const WorldPoint& tip : trace) {
        highest = std::max(highest, tip.z);
        const bool leftStart = std::abs(tip.x - 50000.0) > countResolution || std::abs(tip.y - 40000.0) > countResolution;
        const bool reachedHome = std::abs(tip.x - 2000.0) <= countResolution && std::abs(tip.y - 3000.0) <= countResolution;
        if (leftStart && !reachedHome) {
            ++crossing;
            EXPECT_NEAR(tip.z, safeHeight, countResolution) << tip.x << ", " << tip.y;
        }
    }
    EXPECT_GT(crossing, 3);
    EXPECT_NEAR(highest, safeHeight, countResolution);
    EXPECT_EQ(store->coordinate("storedHomeLocation"), (Coordinate{2000, 3000, 8000}));
    EXPECT_TRUE(errors().empty());
}

// A flat surface 3000 µm above the bottom of the Z travel, the dispenser
// 20 mm above it, and the electronics on the same instrument with their
// reference statistics sampled there.
class ManualControlsOverASurface : public ManualControlsWindow {
  protected:
    static constexpr double surface = 3000.0;

    ManualControlsOverASurface() : ManualControlsWindow({40000.0, 30000.0, 20000.0}) {
        options.surface = Simulators::SimulatedSurface::plane(surface);
    }
    void SetUp() override {
        ManualControlsWindow::SetUp();
        instrument->electronics()->setMeasurementNoise(2.0, 0.002, 11);
        electronics = makeElectronicsWithSampledDispenser(store, pollClock, openPort(properties(SerialPortType::electronics)));
    }
    void TearDown() override {
        if (robot) {
            waitForRobotQueue();
        }
        electronics.reset();
        ManualControlsWindow::TearDown();
    }

    std::shared_ptr<ManualClock> pollClock = std::make_shared<ManualClock>();
    std::shared_ptr<Electronics> electronics;
};

TEST_F(ManualControlsOverASurface, FindSurfaceEndsWithinOneApproachStepOfTheSurface) {
    connect();
    int recalibrations = 0;
    window->setElectronics(electronics);
    window->setRecalibrationOperationForSurfaceFinding([&recalibrations] { ++recalibrations; });
    EXPECT_FALSE(window->findSurfaceButton()->isEnabled());
    window->setDispenserConnected(true);
    EXPECT_TRUE(window->canFindSurface());

    // Down close to the surface first, then find it.
    enter(window->largeStepSizeField(), "16940");
    clickAndWait(window->jogButton(JogButton::downLarge));
    ASSERT_NEAR(world->tipPosition().z, surface + 60.0, countResolution);
    clickAndWait(window->findSurfaceButton());

    EXPECT_TRUE(errors().empty());
    EXPECT_NEAR(world->tipPosition().z, surface, robot->surfaceApproachStepSize());
    EXPECT_NEAR(robot->currentCoordinate().z, world->tipPosition().z, countResolution);
    EXPECT_EQ(display(), robot->currentCoordinate().description());
    EXPECT_EQ(recalibrations, 0);
    EXPECT_FALSE(electronics->dispatchTimer().isSuspended());
}

} // namespace
} // namespace Dotfield::testing
