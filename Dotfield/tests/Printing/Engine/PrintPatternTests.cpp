// The engine's logic against a robot whose moves arrive at once and an
// electronics object that records: where items go, when it travels and at
// which speeds, the stop questions, reloads, surface finding and every way out.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/tests/Printing/Engine/PrintingEngineTestSupport.hpp"
#include "Dotfield/tests/Printing/Engine/PrintingFakes.hpp"
#include "Dotfield/tests/Support/ErrorCapture.hpp"

namespace Dotfield::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using VeltranePatterns::PatternItemPtr;

SolutionWell well(const std::string& name, SolutionReloadQuantity quantity) {
    return SolutionWell{name,
                        SolutionLocation::CustomLocation{{0.0, 0.0, 0.0}},
                        0,
                        quantity,
                        Zovudidova::seconds(10.0),
                        0,
                        std::nullopt,
                        std::nullopt,
                        Zovudidova::seconds(20.0)};
}

class PrintEngine : public ::testing::Test {
  protected:
    PrintEngine() { robot->setCurrentCoordinate({10000.0, 20000.0, 5000.0}); }

    void print(const VeltranePatterns::Pattern& pattern) { call.print(pattern, *robot, electronics); }
    std::vector<std::string> events(const std::string& prefix = "") const { return log->starting(prefix); }

    std::shared_ptr<EventLog> log = std::make_shared<EventLog>();
    std::shared_ptr<ArrivingRobot> robot = Robot::make<ArrivingRobot>(log);
    RecordingElectronics electronics{log, *robot};
    PrintCall call;
};

TEST_F(PrintEngine, PointsPrintAtTheAnchorPlusThePointScaledAndTurnedWithTheOriginOnlyScaled) {
    call.scaleFactor = 2.0;
    call.rotation = Zovudidova::degrees(90.0);
    call.origin = {100.0, 0.0, 0.0};
    call.surfaceCant = {0.001, 0.0};
    print(makePattern({{"A", {point(0, 0, 0.2), point(300, 0, 0.3)}}}));

    // Anchor (10000 − 200, 20000, 5000); (300, 0) × 2 turned 90° lies at (0, 600).
    // The cant counts from the start (10000, 20000), where the height was
    // set: 200 µm back along X is 0.2 µm lower.
    const auto& all = log->events;
    EXPECT_EQ(all.front(), "pattern");
    EXPECT_THAT(events("dispense"), ElementsAre("dispense 0.2", "dispense 0.3"));
    EXPECT_THAT(events("at 9800 20600"), ElementsAre("at 9800 20600 5199.8", "at 9800 20600 4999.8"));
    EXPECT_EQ(all.back(), "manual");
    EXPECT_FALSE(electronics.poll.isSuspended());
}

TEST_F(PrintEngine, TravelsBeyond1000MicronsAtTheManualSpeedsAndContinuousItemsMakeNoTravel) {
    struct Case {
        const char* name;
        std::vector<PatternItemPtr> items;
        bool continuous;
        int manualSwitches;
        int travels; // legs of travel: 3 per travel over the travel height
    };
    const std::vector<Case> cases{
        // The first item lies where the robot stands: no travel to it.
        {"exactly 1000 µm", {point(0, 0), point(1000, 0)}, false, 0, 3},
        {"just over 1000 µm", {point(0, 0), point(0, 1000.001)}, false, 1, 3},
        {"continuous within 1 µm", {line(0, 0, 500, 0), line(500.9, 0.9, 0, 0)}, true, 0, 0},
        {"continuous but 1.1 µm off", {line(0, 0, 500, 0), line(501.1, 0, 0, 0)}, true, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log->events.clear();
        robot->setCurrentCoordinate({10000.0, 20000.0, 5000.0});
        print(makePattern({{"A", c.items}}, c.continuous));
        EXPECT_EQ(events("manual").size(), static_cast<std::size_t>(c.manualSwitches + 1));
        EXPECT_EQ(events("at").size(), static_cast<std::size_t>(c.travels));
    }
}

TEST_F(PrintEngine, EdgeCasesOfTheStartAndTheLayers) {
    // Layer B is disabled; the print starts in B at item 1, so C starts at its first item.
    call.initialLayer = 1;
    call.initialPatternItem = 1;
    call.disabledLayers = {"B"};
    print(makePattern({{"A", {point(0, 0)}}, {"B", {point(1, 0), point(2, 0)}}, {"C", {point(3, 0), point(4, 0)}}}));
    EXPECT_THAT(call.questions, ElementsAre(std::tuple{1, 0, 40.0}, std::tuple{2, 0, 40.0}, std::tuple{2, 0, 40.0},
                                            std::tuple{2, 1, 60.0}));
    EXPECT_EQ(events("dispense").size(), 2u);

    // Starting past the last layer prints nothing, yet closes.
    log->events.clear();
    call.questions.clear();
    call.initialLayer = 3;
    call.initialPatternItem = 0;
    print(makePattern({{"A", {point(0, 0)}}, {"B", {point(1, 0), point(2, 0)}}, {"C", {point(3, 0), point(4, 0)}}}));
    EXPECT_THAT(log->events, ElementsAre("pattern", "manual"));
    EXPECT_TRUE(call.questions.empty());

    // Layers without items report 100 %.
    call.initialLayer = 0;
    print(makePattern({{"A", {}}, {"B", {}}}));
    EXPECT_THAT(call.questions, ElementsAre(std::tuple{0, 0, 100.0}, std::tuple{1, 0, 100.0}));
}

TEST_F(PrintEngine, AnEmptyPatternTouchesNothing) {
    print(makePattern({}));
    EXPECT_TRUE(log->events.empty());
    EXPECT_FALSE(electronics.poll.isSuspended());
}

TEST_F(PrintEngine, AStartOutsideThePatternIsRefusedBeforeAnythingIsSuspendedOrMoved) {
    const auto pattern = makePattern({{"A", {point(0, 0), point(1, 0)}}, {"B", {point(0, 0)}}});
    for (const auto& [layer, item] : {std::pair{3, 0}, std::pair{0, 3}, std::pair{1, 2}, std::pair{2, 1},
                                      std::pair{-1, 0}, std::pair{0, -1}}) {
        SCOPED_TRACE(std::to_string(layer) + ", " + std::to_string(item));
        call.initialLayer = layer;
        call.initialPatternItem = item;
        EXPECT_THROW(print(pattern), std::out_of_range);
        EXPECT_TRUE(log->events.empty());
        EXPECT_FALSE(electronics.poll.isSuspended());
    }
}

TEST_F(PrintEngine, StopsAtTheQuestionAskedBeforeAnItemAndClosesNormally) {
    call.stopWhen = [](int layer, int item, double) { return layer == 1 && item == 1; };
    print(makePattern({{"A", {point(0, 0)}}, {"B", {point(1, 0), point(2, 0)}}}));
    EXPECT_EQ(events("dispense").size(), 2u);
    EXPECT_EQ(std::get<0>(call.questions.back()), 1);
    EXPECT_EQ(std::get<1>(call.questions.back()), 1);
    EXPECT_DOUBLE_EQ(std::get<2>(call.questions.back()), 200.0 / 3.0);
    EXPECT_EQ(log->events.back(), "manual");
    EXPECT_FALSE(electronics.poll.isSuspended());
}

TEST_F(PrintEngine, ReloadsBeforeTheMoveAndTakesTheItemFromTheFreshLoad) {
    // Two spots at width 100 hold 200 µm: 150 leaves 50; 100 reloads and leaves
    // 100; 100 leaves 0; 1 reloads.
    call.wells = {{"A", well("wellA", SolutionReloadQuantity::Spots{2})}};
    print(makePattern({{"A", {line(0, 0, 150, 0), line(0, 10, 100, 10), line(0, 20, 100, 20),
                              line(0, 30, 1, 30)}}}));
    EXPECT_THAT(call.loads, ElementsAre(std::pair{std::string("wellA"), false}, std::pair{std::string("wellA"), true},
                                        std::pair{std::string("wellA"), true}));
    // The pickup move raised the dispenser by the pickup distance first.
    EXPECT_EQ(log->events[1], "at 10000 20000 5200");

    // A layer without a well neither raises the dispenser nor loads.
    log->events.clear();
    call.loads.clear();
    robot->setCurrentCoordinate(call.start);
    print(makePattern({{"B", {point(0, 0)}}}));
    EXPECT_TRUE(call.loads.empty());
    EXPECT_TRUE(events("at").empty());
}

TEST_F(PrintEngine, ThePickupPointOutsideTheLimitsEndsThePrintBeforeLoading) {
    robot->setCurrentCoordinate({0.0, 0.0, 1e9});
    call.wells = {{"A", well("wellA", SolutionReloadQuantity::Unlimited{})}};
    const auto error = errorThrownBy<RoboticsError>([&] { print(makePattern({{"A", {point(0, 0)}}})); });
    EXPECT_EQ(error.kind(), RoboticsError::Kind::abortedDuringMove);
    EXPECT_TRUE(call.loads.empty());
    EXPECT_FALSE(electronics.poll.isSuspended());
}

TEST_F(PrintEngine, TheDropletOverrideReplacesPointDurationsOnly) {
    call.dropletDuration = Zovudidova::milliseconds(40.0);
    print(makePattern({{"A", {point(0, 0, 0.5), line(0, 0, 10, 0)}}}));
    EXPECT_THAT(events("dispense"), ElementsAre("dispense 0.04", "dispense on", "dispense off"));
}

TEST_F(PrintEngine, SprayingModeSpraysPointsAndDrivesLinesBetweenStartAndStop) {
    call.spray = true;
    print(makePattern({{"A", {point(0, 0, 0.5), line(0, 0, 10, 0)}}}));
    EXPECT_THAT(events("spray"), ElementsAre("spray 0.5", "spray start", "spray stop"));
    EXPECT_FALSE(electronics.poll.isSuspended());
}

TEST_F(PrintEngine, APauseIsReportedAndSkippedWithoutCountingAsDone) {
    print(makePattern({{"A", {std::make_shared<VeltranePatterns::PatternPause>(1.0), point(0, 0)}}}));
    EXPECT_EQ(events("dispense").size(), 1u);
    EXPECT_DOUBLE_EQ(std::get<2>(call.questions.back()), 0.0);
}

TEST_F(PrintEngine, TheSurfaceFoundMovesThisAndEveryLaterItemByItsDifferenceToThePlan) {
    // Items planned at z 5000; the surface lies 30 µm lower. Only the first item senses it.
    electronics.surfaceHeight = 4970.0;
    print(makePattern({{"A", {point(0, 0, 0.1, true), point(100, 0), point(200, 0)}}}));
    const double found = robot->currentCoordinate().z;
    // Touched at 4970 and stepped off by one 2 µm retraction step.
    EXPECT_DOUBLE_EQ(found, 4972.0);
    EXPECT_THAT(log->events, ::testing::Contains("at 10100 20000 4972"));
    EXPECT_THAT(events("at 10200 20000"), ElementsAre("at 10200 20000 5172", "at 10200 20000 4972"));
    EXPECT_FALSE(electronics.poll.isSuspended());
}

TEST_F(PrintEngine, ANonFiniteStartEndsThePrintBeforeTheModeBegins) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto error =
        errorThrownBy<RoboticsError>([&] { print(makePattern({{"A", {line(nan, 0, 10, 0)}}})); });
    EXPECT_EQ(error.kind(), RoboticsError::Kind::abortedDuringMove);
    EXPECT_TRUE(events("dispense").empty());
    EXPECT_FALSE(electronics.poll.isSuspended());
    EXPECT_EQ(log->events.back(), "manual");
}

TEST_F(PrintEngine, AFailureInsideAnItemEndsItsModeThenClosesAndPassesTheErrorOn) {
    struct Case {
        const char* name;
        bool spray;
        const char* failOn;
        bool electronicsFailure;
        std::vector<std::string> dispenserEvents;
    };
    const std::vector<Case> cases{
        {"line fails while dispensing", false, "line", false, {"dispense on", "dispense off"}},
        {"line fails while spraying", true, "line", false, {"spray start", "spray stop"}},
        {"dispensing fails to start", false, "dispense on", true, {"dispense on"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log->events.clear();
        log->failOn = c.failOn;
        log->electronicsFailure = c.electronicsFailure;
        call.spray = c.spray;
        EXPECT_ANY_THROW(print(makePattern({{"A", {line(0, 0, 10, 0), line(0, 10, 10, 10)}}})));
        std::vector<std::string> dispenser = events(c.spray ? "spray" : "dispense");
        EXPECT_EQ(dispenser, c.dispenserEvents);
        EXPECT_FALSE(electronics.poll.isSuspended());
        EXPECT_EQ(log->events.back(), "manual");
    }
}

TEST_F(PrintEngine, AClosingFailureIsWrittenToStandardOutputAndDropped) {
    log->failOn = "manual";
    ::testing::internal::CaptureStdout();
    EXPECT_NO_THROW(print(makePattern({{"A", {point(0, 0)}}})));
    EXPECT_THAT(::testing::internal::GetCapturedStdout(),
                ::testing::HasSubstr("ERROR: Throwing away errors during last stage of pattern printing"));
    EXPECT_FALSE(electronics.poll.isSuspended());
}

} // namespace
} // namespace Dotfield::testing
