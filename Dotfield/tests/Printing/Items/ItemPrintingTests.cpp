// Each item kind printed alone inside a mode: the moves it makes, what it
// tells the progress handler, and the mode around it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "Dotfield/Printing/Items/PrintablePatternItem.hpp"
#include "Dotfield/Printing/Modes/PrintingMode.hpp"
#include "Dotfield/tests/Printing/Engine/PrintingFakes.hpp"
#include "VeltranePatterns/Source/Items/PatternItems.hpp"
#include "VeltranePatterns/Source/ToolPaths/FillToolPath.hpp"
#include "VeltranePatterns/Source/ToolPaths/PolygonToolPath.hpp"

namespace Dotfield::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using VeltranePatterns::ArcFill;
using VeltranePatterns::RotationalDirection;
using Zovudidova::degrees;

class ItemPrinting_ : public ::testing::Test {
  protected:
    void print(const VeltranePatterns::PatternItem& item, const PrintingMode& mode, double featureWidth = 100.0,
               double scaleFactor = 1.0) {
        const ItemPrinting printing{Coordinate{1000.0, 2000.0, 300.0},
                                    SurfaceCant{},
                                    scaleFactor,
                                    Zovudidova::radians(0.0),
                                    featureWidth,
                                    *robot,
                                    electronics,
                                    nullptr,
                                    mode,
                                    handler};
        printItem(item, printing);
    }
    std::vector<std::string> events(const std::string& prefix = "") const { return log->starting(prefix); }

    std::shared_ptr<EventLog> log = std::make_shared<EventLog>();
    std::shared_ptr<ArrivingRobot> robot = Robot::make<ArrivingRobot>(log);
    RecordingElectronics electronics{log, *robot};
    std::vector<double> fractions;
    ItemProgressHandler handler = [this](double fraction) {
        fractions.push_back(fraction);
        return false;
    };
};

TEST_F(ItemPrinting_, ArcFillsWalkFromTheLargerRadiusToTheSmallerInAlternatingPasses) {
    struct Case {
        const char* name;
        double inside;
        double outside;
        double featureWidth;
        std::vector<std::string> moves;
    };
    const std::string anchor = " centre 0 0 0 anchor 1000 2000 300";
    const std::vector<Case> cases{
        {"band one spacing covers: one arc at the middle", 100, 150, 100, {"arc r 125 from 0 to 90 cw" + anchor}},
        {"inside 0 to outside 200",
         0,
         200,
         100,
         {"arc r 200 from 0 to 90 cw" + anchor, "line 1000 2150 300", "arc r 150 from 90 to 0 ccw" + anchor,
          "line 1100 2000 300", "arc r 100 from 0 to 90 cw" + anchor, "line 1000 2050 300",
          "arc r 50 from 90 to 0 ccw" + anchor, "line 1000 2000 300"}},
        {"inside 200 larger than outside 50",
         200,
         50,
         100,
         {"arc r 200 from 0 to 90 cw" + anchor, "line 1000 2150 300", "arc r 150 from 90 to 0 ccw" + anchor,
          "line 1100 2000 300", "arc r 100 from 0 to 90 cw" + anchor, "line 1000 2050 300"}},
        {"feature width 0", 0, 200, 0, {"arc r 100 from 0 to 90 cw" + anchor}},
        {"feature width NaN", 0, 200, std::numeric_limits<double>::quiet_NaN(), {"arc r 100 from 0 to 90 cw" + anchor}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log->events.clear();
        fractions.clear();
        print(ArcFill(c.inside, c.outside, {}, degrees(0), degrees(90), RotationalDirection::clockwise),
              PrintingMode::dispense(), c.featureWidth);
        std::vector<std::string> moves = log->events;
        ASSERT_GE(moves.size(), 2u);
        EXPECT_EQ(moves.front(), "dispense on");
        EXPECT_EQ(moves.back(), "dispense off");
        moves = {moves.begin() + 1, moves.end() - 1};
        // Radial steps land on whole microns up to rounding of cos and sin.
        for (std::string& move : moves) {
            if (move.starts_with("line")) {
                std::istringstream in(move.substr(5));
                double x = 0, y = 0, z = 0;
                in >> x >> y >> z;
                move = "line " + text(std::round(x)) + " " + text(std::round(y)) + " " + text(z);
            }
        }
        EXPECT_EQ(moves, c.moves);
    }
}

TEST_F(ItemPrinting_, AnArcFillReportsEachPassAndStopsWhenTheHandlerSays) {
    handler = [this](double fraction) {
        fractions.push_back(fraction);
        return fractions.size() == 2;
    };
    print(ArcFill(0, 200, {}, degrees(0), degrees(90), RotationalDirection::clockwise), PrintingMode::spray());
    EXPECT_THAT(fractions, ElementsAre(0.0, 0.25));
    EXPECT_EQ(events("arc").size(), 2u);
    EXPECT_EQ(log->events.back(), "spray stop");
}

TEST_F(ItemPrinting_, AFillDrawsALineToEachPathPointAndReportsIOverN) {
    const VeltranePatterns::Fill fill({0, 0, 0}, {200, 100, 0}, VeltranePatterns::Fill::FillType::horizontal);
    const auto path = VeltranePatterns::calculateFillDrawingCoordinates(fill, 100.0, 1.0);
    ASSERT_GE(path.size(), 4u);
    print(fill, PrintingMode::dispense());
    std::vector<double> expected;
    for (std::size_t i = 0; i < path.size(); ++i) {
        expected.push_back(static_cast<double>(i) / static_cast<double>(path.size()));
    }
    EXPECT_THAT(fractions, ElementsAreArray(expected));
    const auto lines = events("line");
    ASSERT_EQ(lines.size(), path.size());
    EXPECT_EQ(lines.back(), "line " + text(path.back() + Coordinate{1000.0, 2000.0, 300.0}));
}

TEST_F(ItemPrinting_, PointsUseTheModesTimedOperationWithoutMoving) {
    const VeltranePatterns::Point point({5, 5, 0}, Zovudidova::milliseconds(300.0));
    print(point, PrintingMode::dispense());
    print(point, PrintingMode::spray());
    print(point, PrintingMode::none(0.5));
    EXPECT_THAT(log->events, ElementsAre("dispense 0.3", "spray 0.3", "dwell 0.5"));
    EXPECT_FALSE(electronics.poll.isSuspended());
}

TEST_F(ItemPrinting_, ALineIsDrawnToItsCorrectedEndInsideItsMode) {
    print(VeltranePatterns::Line({0, 0, 0}, {100, 0, 0}, 5000.0), PrintingMode::dispense());
    EXPECT_THAT(log->events, ElementsAre("dispense on", "line 1100 2000 300", "dispense off"));
    EXPECT_FALSE(electronics.poll.isSuspended());
}

// A 2000 × 1000 rectangle; its tool path spirals inwards.
VeltranePatterns::Polygon rectangle(std::optional<double> velocity = std::nullopt,
                                    std::optional<double> acceleration = std::nullopt) {
    return VeltranePatterns::Polygon({{0, 0, 0}, {2000, 0, 0}, {2000, 1000, 0}, {0, 1000, 0}}, velocity,
                                     acceleration);
}

// The point of a "line x y z" event.
Coordinate lineEnd(const std::string& event) {
    std::istringstream in(event.substr(5));
    Coordinate at;
    in >> at.x >> at.y >> at.z;
    return at;
}

void expectNear(const Coordinate& actual, const Coordinate& expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-6);
    EXPECT_NEAR(actual.y, expected.y, 1e-6);
    EXPECT_NEAR(actual.z, expected.z, 1e-6);
}

TEST_F(ItemPrinting_, APolygonTracesItsToolPathInsideItsModeWithItsSpeedsAndReportsIOverN) {
    const auto polygon = rectangle(3000.0, 500.0);
    const auto path = VeltranePatterns::calculatePolygonDrawingCoordinates(polygon, 400.0, 2.0);
    ASSERT_GE(path.size(), 4u);
    print(polygon, PrintingMode::dispense(), 400.0, 2.0);

    ASSERT_EQ(log->events.size(), path.size() + 2);
    EXPECT_EQ(log->events.front(), "dispense on");
    EXPECT_EQ(log->events.back(), "dispense off");
    std::vector<double> expectedFractions;
    for (std::size_t i = 0; i < path.size(); ++i) {
        SCOPED_TRACE(i);
        expectNear(lineEnd(log->events[i + 1]), path[i] * 2.0 + Coordinate{1000.0, 2000.0, 300.0});
        expectedFractions.push_back(static_cast<double>(i) / static_cast<double>(path.size()));
    }
    EXPECT_THAT(fractions, ElementsAreArray(expectedFractions));
    ASSERT_EQ(robot->lineSpeeds.size(), path.size());
    for (const auto& [velocity, acceleration] : robot->lineSpeeds) {
        EXPECT_EQ(velocity, 3000.0);
        EXPECT_EQ(acceleration, 500.0);
    }
    EXPECT_FALSE(electronics.poll.isSuspended());
}

TEST_F(ItemPrinting_, APolygonOfFourPathPointsReportsQuarters) {
    // A pentagon narrower than the feature: one pass along its outline from the second corner.
    const VeltranePatterns::Polygon pentagon({{0, 0, 0}, {100, 0, 0}, {150, 80, 0}, {50, 150, 0}, {-50, 80, 0}});
    ASSERT_EQ(VeltranePatterns::calculatePolygonDrawingCoordinates(pentagon, 400.0, 1.0).size(), 4u);
    print(pentagon, PrintingMode::none(0.0), 400.0, 1.0);
    EXPECT_THAT(fractions, ElementsAre(0.0, 0.25, 0.5, 0.75));
    EXPECT_EQ(events("line").size(), 4u);
}

TEST_F(ItemPrinting_, APolygonWithoutToolPathOnlyBeginsAndEndsItsMode) {
    const VeltranePatterns::Polygon twoPoints({{0, 0, 0}, {100, 0, 0}});
    print(twoPoints, PrintingMode::spray());
    EXPECT_THAT(log->events, ElementsAre("spray start", "spray stop"));
    EXPECT_TRUE(fractions.empty());
}

TEST_F(ItemPrinting_, APolygonStoppedAfterItsFirstPointStillEndsItsMode) {
    handler = [this](double fraction) {
        fractions.push_back(fraction);
        return true;
    };
    print(rectangle(), PrintingMode::dispense());
    EXPECT_EQ(events("line").size(), 1u);
    EXPECT_THAT(fractions, ElementsAre(0.0));
    EXPECT_EQ(log->events.back(), "dispense off");
}

TEST_F(ItemPrinting_, APolygonWhoseMoveFailsEndsItsModeBeforeTheErrorLeaves) {
    log->failOn = "line";
    EXPECT_THROW(print(rectangle(), PrintingMode::dispense()), RoboticsError);
    EXPECT_EQ(events("line").size(), 1u);
    EXPECT_EQ(log->events.back(), "dispense off");
    EXPECT_FALSE(electronics.poll.isSuspended());
}

TEST_F(ItemPrinting_, APolygonIsScaledRotatedPlacedAndRaisedByTheCantWhereTheMapMissesTheStart) {
    // The map covers the pattern but not the anchor, so the cant decides
    // every height; the map still goes to every move.
    auto map = std::make_shared<SurfaceTopographyMap>();
    for (const double y : {1500.0, 7000.0}) {
        for (const double x : {-3000.0, 3000.0}) {
            map->addPoint({x, y, 777.0});
        }
    }
    const auto polygon = rectangle();
    const auto path = VeltranePatterns::calculatePolygonDrawingCoordinates(polygon, 400.0, 2.0);
    const Coordinate anchor{1000.0, 1000.0, 300.0};
    const SurfaceCant cant{0.01, -0.02};
    const ItemPrinting printing{anchor, cant,    2.0, degrees(90.0), 400.0, *robot, electronics,
                                map,    PrintingMode::none(0.0), handler};
    printItem(polygon, printing);

    const auto lines = events("line");
    ASSERT_EQ(lines.size(), path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        SCOPED_TRACE(i);
        // 90 degrees turns (x, y) into (-y, x).
        const double dx = -path[i].y * 2.0;
        const double dy = path[i].x * 2.0;
        expectNear(lineEnd(lines[i]),
                   {anchor.x + dx, anchor.y + dy, anchor.z + dx * cant.xSlope + dy * cant.ySlope});
        EXPECT_EQ(robot->lineMaps[i], map);
    }
}

TEST(PrintablePatternItem, EveryKindButAPauseHasAWayToPrint) {
    EXPECT_FALSE(isPrintablePatternItem(VeltranePatterns::PatternPause(1.0)));
    EXPECT_TRUE(isPrintablePatternItem(VeltranePatterns::Point({}, Zovudidova::seconds(1.0))));
    EXPECT_TRUE(isPrintablePatternItem(VeltranePatterns::Line({}, {1, 0, 0})));
}

} // namespace
} // namespace Dotfield::testing
