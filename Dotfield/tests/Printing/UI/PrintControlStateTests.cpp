// The print control's state machine through the document window on the
// simulated IIb, with a fake engine that walks the items: start, pause,
// resume, cancel in each state, the range check, failures, closing mid-run.

#include <QApplication>
#include <QLabel>
#include <QProgressBar>

#include <gtest/gtest.h>

#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/tests/Printing/UI/PrintControlFixture.hpp"

namespace PrintControlTests {
namespace {

using Dotfield::AlertResponse;
using Dotfield::PatternDocument;
using Position = FakeEngine::Position;
using VeltranePatterns::Coordinate;

// Two layers: three points in "A", two in "B".
std::string fivePoints() {
    return patternXML(pointXML("A", 0, 0, 1) + pointXML("A", 100, 0, 1) + pointXML("A", 200, 0, 1) +
                      pointXML("B", 0, 100, 1) + pointXML("B", 100, 100, 1));
}

const std::vector<Position> allFive{{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}};

class PrintControl : public PrintControlFixture {
  protected:
    void SetUp() override {
        PrintControlFixture::SetUp();
        robot->setSafePickupHeight(80000.0);
        ASSERT_NE(open("five.pattern", fivePoints()), nullptr);
        // The optimiser may reorder; these tests follow the order as read.
        document->setOptimizePatternLayout(false);
        start = robot->readAndStoreCurrentPosition();
    }

    // Starts a print held before `position`, and waits until it is held there.
    void startHeldAt(Position position) {
        engine->holdAt(position);
        press("pauseButton");
        ASSERT_TRUE(engine->waitUntilHeld([this](const auto& condition) { return pumpUntil(condition); }));
    }

    void expectPausedControls() {
        EXPECT_FALSE(document->currentlyPrinting());
        EXPECT_TRUE(document->printingPaused());
        EXPECT_EQ(button("pauseButton")->text(), "Resume");
        EXPECT_TRUE(button("resumeFromHereButton")->isVisible());
        EXPECT_TRUE(button("resumeFromHereButton")->isEnabled());
        EXPECT_TRUE(button("cancelButton")->isVisible());
    }

    void expectReturnedToStartAndClosed() {
        EXPECT_TRUE(document->isClosed());
        EXPECT_TRUE(window.isNull() || !window->isVisible());
        EXPECT_EQ(controller->documentForURL(folder() / "five.pattern"), nullptr);
        const auto tip = world->tipPosition();
        EXPECT_NEAR(tip.x, start.x, 2.5);
        EXPECT_NEAR(tip.y, start.y, 2.5);
        EXPECT_NEAR(tip.z, start.z, 2.5);
    }

    Coordinate start;
};

TEST_F(PrintControl, TheFirstPressPrintsEverythingFromTheStartAndTheFinishedDocumentCloses) {
    EXPECT_EQ(button("pauseButton")->text(), "Print");
    EXPECT_FALSE(button("cancelButton")->isVisible());
    EXPECT_FALSE(button("resumeFromHereButton")->isVisible());

    press("pauseButton");
    EXPECT_TRUE(document->currentlyPrinting());
    EXPECT_EQ(button("pauseButton")->text(), "Pause");
    EXPECT_FALSE(button("exportButton")->isEnabled());
    EXPECT_FALSE(window->findChild<QWidget*>("originX")->isEnabled());
    EXPECT_FALSE(window->findChild<QWidget*>("startingLayer")->isEnabled());
    waitForRunToEnd();

    ASSERT_EQ(engine->runs().size(), 1U);
    const auto run = engine->runs().front();
    EXPECT_EQ(run.initialLayer, 0);
    EXPECT_EQ(run.initialPatternItem, 0);
    EXPECT_EQ(run.patternStartingPoint, start);
    EXPECT_EQ(run.robot, robot);
    EXPECT_EQ(run.pattern, document->pattern());
    EXPECT_EQ(engine->printed(), allFive);
    EXPECT_EQ(document->printStatus(), "Dispense status: 100.00% complete");
    expectReturnedToStartAndClosed();
}

TEST_F(PrintControl, APauseStopsAfterTheCurrentItemAndResumePrintsTheRestOnce) {
    startHeldAt({0, 2});
    press("pauseButton");
    EXPECT_EQ(button("pauseButton")->text(), "Resume");
    EXPECT_TRUE(window->findChild<QWidget*>("startingLayer")->isEnabled());
    engine->release();
    waitForRunToEnd();
    expectPausedControls();
    EXPECT_EQ(engine->printed(), (std::vector<Position>{{0, 0}, {0, 1}, {0, 2}}));
    // The fields show where the print goes on, counted from one.
    EXPECT_EQ(document->startingLayer(), 2);
    EXPECT_EQ(document->startingItemInLayer(), 1);
    EXPECT_EQ(document->printStatus(), "Dispense status: 60.00% complete");
    // The paused window: "Resume", "Cancel", "Resume From Here" and the status line.
    const QImage grab = grabToPNG(*window, "PrintControlPaused");
    EXPECT_EQ(grab.size(), window->size());
    EXPECT_EQ(window->findChild<QLabel*>("printStatus")->text(), "Dispense status: 60.00% complete");
    EXPECT_EQ(window->findChild<QProgressBar*>("progressIndicator")->value(), 60);

    press("pauseButton");
    waitForRunToEnd();
    EXPECT_EQ(engine->printed(), allFive);
    ASSERT_EQ(engine->runs().size(), 2U);
    EXPECT_EQ(engine->runs()[1].initialLayer, 1);
    EXPECT_EQ(engine->runs()[1].initialPatternItem, 0);
    expectReturnedToStartAndClosed();
}

TEST_F(PrintControl, StartingFieldsEditedWhilePausedMoveTheResumePoint) {
    struct Case {
        int layer;
        int item;
        Position expected;
    };
    // Past the last item of a layer: its last item; past the last layer: the last one.
    for (const Case& edit : {Case{1, 2, {0, 1}}, Case{1, 9, {0, 2}}, Case{7, 1, {1, 0}}}) {
        SCOPED_TRACE(::testing::Message() << edit.layer << "/" << edit.item);
        document->setStartingLayer(edit.layer);
        document->setStartingItemInLayer(edit.item);
        engine->holdAt(edit.expected);
        press("pauseButton");
        ASSERT_TRUE(engine->waitUntilHeld([this](const auto& condition) { return pumpUntil(condition); }));
        press("pauseButton");
        engine->release();
        waitForRunToEnd();
        ASSERT_FALSE(engine->runs().empty());
        EXPECT_EQ(engine->runs().back().initialLayer, edit.expected.first);
        EXPECT_EQ(engine->runs().back().initialPatternItem, edit.expected.second);
    }
}

TEST_F(PrintControl, ResumeFromHereShiftsTheRestByTheOperatorsMove) {
    EXPECT_FALSE(document->canResumeFromHere());
    startHeldAt({0, 1});
    press("pauseButton");
    engine->release();
    waitForRunToEnd();
    expectPausedControls();
    const Coordinate pausedAt = robot->currentCoordinate();

    auto jogged = robot;
    robot->runOnRoboticsQueue([jogged, pausedAt] { jogged->moveToPosition(pausedAt + Coordinate(500.0, 0, 0)); });
    waitForRobotQueue();
    press("resumeFromHereButton");
    waitForRunToEnd();
    ASSERT_EQ(engine->runs().size(), 2U);
    const auto shifted = engine->runs()[1].patternStartingPoint;
    EXPECT_NEAR(shifted.x, start.x + 500.0, 2.5);
    EXPECT_NEAR(shifted.y, start.y, 2.5);
    EXPECT_EQ(engine->runs()[1].initialPatternItem, 2);
    EXPECT_EQ(engine->printed(), allFive);
}

TEST_F(PrintControl, CancelWhileRunningReturnsAndCloses) {
    startHeldAt({0, 1});
    press("cancelButton");
    EXPECT_EQ(document->printStatus(), "Dispense status: Cancelled");
    EXPECT_FALSE(document->isClosed());
    engine->release();
    waitForRunToEnd();
    EXPECT_EQ(engine->printed(), (std::vector<Position>{{0, 0}, {0, 1}}));
    expectReturnedToStartAndClosed();
}

TEST_F(PrintControl, CancelWhilePausedClosesAtOnce) {
    startHeldAt({0, 1});
    press("pauseButton");
    engine->release();
    waitForRunToEnd();
    press("cancelButton");
    EXPECT_TRUE(document->isClosed());
    EXPECT_EQ(engine->runs().size(), 1U);
}

TEST_F(PrintControl, CancelWhileAPauseIsPendingClosesWhenTheEngineStops) {
    startHeldAt({0, 1});
    press("pauseButton");
    press("cancelButton");
    engine->release();
    waitForRunToEnd();
    EXPECT_EQ(engine->printed(), (std::vector<Position>{{0, 0}, {0, 1}}));
    expectReturnedToStartAndClosed();
}

TEST_F(PrintControl, PressingAgainWhileAPauseIsPendingGoesOnInOneRun) {
    startHeldAt({0, 1});
    press("pauseButton");
    press("pauseButton");
    EXPECT_EQ(button("pauseButton")->text(), "Pause");
    engine->release();
    waitForRunToEnd();
    EXPECT_EQ(engine->runs().size(), 1U);
    EXPECT_EQ(engine->printed(), allFive);
    expectReturnedToStartAndClosed();
}

TEST_F(PrintControl, ClosingTheWindowMidRunStopsThePrintAndClosesTheDocumentOnce) {
    int closings = 0;
    document->documentClosedOperation = [&closings] { ++closings; };
    startHeldAt({0, 1});
    window->close();
    QApplication::processEvents();
    EXPECT_FALSE(document->isClosed());
    engine->release();
    waitForRunToEnd();
    QApplication::processEvents();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(engine->printed(), (std::vector<Position>{{0, 0}, {0, 1}}));
    EXPECT_TRUE(document->isClosed());
    EXPECT_EQ(closings, 1);
}

TEST_F(PrintControl, AFailedRunHandsTheErrorOverAndLeavesTheDocumentPausedToResume) {
    engine->failAt({1, 0});
    press("pauseButton");
    waitForRunToEnd();
    ASSERT_EQ(handledErrors.size(), 1U);
    expectPausedControls();
    EXPECT_FALSE(document->isClosed());
    EXPECT_EQ(document->lastLayerPrinted(), 1);
    EXPECT_EQ(document->lastItemPrinted(), 0);

    press("pauseButton");
    waitForRunToEnd();
    EXPECT_EQ(engine->printed(), allFive);
    EXPECT_TRUE(document->isClosed());
}

TEST_F(PrintControl, AMappedWellThatNoLongerExistsStopsTheRunBeforeItMoves) {
    const Dotfield::SolutionWell ink{"Ink",
                                     Dotfield::SolutionLocation::CustomLocation{{100, 200, 300}},
                                     0,
                                     Dotfield::SolutionReloadQuantity::Unlimited{},
                                     Zovudidova::milliseconds(1500),
                                     0,
                                     std::nullopt,
                                     std::nullopt,
                                     Zovudidova::seconds(4.0)};
    controller->solutionWells = {ink};
    document->setSolutionWells({ink});
    document->setSolutionWellIndexForRow(0, 1);
    controller->solutionWells.clear();
    press("pauseButton");
    waitForRunToEnd();
    EXPECT_TRUE(engine->runs().empty());
    ASSERT_EQ(alerts->presenter().shownAlerts().size(), 1U);
    EXPECT_NE(alerts->presenter().shownAlerts()[0].messageText.find("\u201CInk\u201D"), std::string::npos);
    EXPECT_FALSE(document->currentlyPrinting());
}

TEST_F(PrintControl, StatusTextHasTwoDecimals) {
    EXPECT_EQ(PatternDocument::printStatusText(12.3456), "Dispense status: 12.35% complete");
    EXPECT_EQ(PatternDocument::printStatusText(0.0), "Dispense status: 0.00% complete");
}

// The range check against the IIb's travel (0 to 357 500 µm in x, 307 500 in y).
class RangeCheck : public PrintControlFixture {};

TEST_F(RangeCheck, TheCornersArePlacedAsTheEngineDoes) {
    // A 1000 µm square pattern.
    ASSERT_NE(open("square.pattern", patternXML(lineXML("A", 0, 0, 1000, 0) + lineXML("A", 1000, 0, 1000, 1000))),
              nullptr);
    const double maxX = robot->maximumMotorPosition().x;
    struct Case {
        const char* what;
        double x;
        double y;
        double originX;
        double degrees;
        bool exceeds;
    };
    for (const Case& c : {Case{"inside", 1000, 1000, 0, 0, false},
                          Case{"touching the top of x", maxX - 1000, 1000, 0, 0, false},
                          Case{"beyond x", maxX - 500, 1000, 0, 0, true},
                          Case{"moved inside by its origin", maxX - 500, 1000, 600, 0, false},
                          Case{"unrotated near x = 0", 500, 5000, 0, 0, false},
                          Case{"rotated 90 degrees out below x = 0", 500, 5000, 0, 90, true},
                          Case{"below zero", 200, 1000, 500, 0, true}}) {
        SCOPED_TRACE(c.what);
        document->setOriginX(c.originX);
        document->setRotation(Zovudidova::degrees(c.degrees));
        EXPECT_EQ(document->patternExceedsRobotLimits(c.x, c.y), c.exceeds);
    }
}

TEST_F(RangeCheck, CancelInTheAlertStartsNothingAndPrintPrintsAnyway) {
    ASSERT_NE(open("far.pattern", patternXML(pointXML("A", 0, 0, 1) + pointXML("A", 400000, 0, 1))), nullptr);
    alerts->presenter().answer(AlertResponse::alternateButton);
    press("pauseButton");
    waitForRunToEnd();
    ASSERT_EQ(alerts->presenter().shownAlerts().size(), 1U);
    EXPECT_EQ(alerts->presenter().shownAlerts()[0].messageText, PatternDocument::outOfRangeMessage);
    EXPECT_EQ(alerts->presenter().shownAlerts()[0].defaultButtonTitle, "Print");
    EXPECT_TRUE(engine->runs().empty());
    EXPECT_FALSE(document->currentlyPrinting());

    alerts->presenter().answer(AlertResponse::defaultButton);
    press("pauseButton");
    waitForRunToEnd();
    EXPECT_EQ(engine->runs().size(), 1U);
}

TEST_F(RangeCheck, APatternWithoutLayersStartsAtZero) {
    ASSERT_NE(open("empty.pattern", patternXML("")), nullptr);
    document->setStartingItemInLayer(3);
    press("pauseButton");
    waitForRunToEnd();
    ASSERT_EQ(engine->runs().size(), 1U);
    EXPECT_EQ(engine->runs()[0].initialLayer, 0);
    EXPECT_EQ(engine->runs()[0].initialPatternItem, 0);
}

} // namespace
} // namespace PrintControlTests
