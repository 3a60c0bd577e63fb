#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Robotics/ArcSegmentation.hpp"
#include "Dotfield/Robotics/SurfaceTopographyMap.hpp"
#include "Dotfield/tests/Robotics/RecordingRobot.hpp"

namespace Dotfield {
namespace {

using testing::emptySettings;
using testing::RecordingRobot;
using VeltranePatterns::Coordinate;
using VeltranePatterns::RotationalDirection;
using Zovudidova::radians;
using Calls = std::vector<std::string>;

std::string text(double value) {
    return RecordingRobot::text(value);
}

class BaseLine : public ::testing::Test {
  protected:
    // Pattern-printing speeds by default: velocities (1000, 1000, 10000),
    // accelerations (100000, 100000, 100000).
    std::shared_ptr<RecordingRobot> robot = Robot::make<RecordingRobot>(emptySettings());
};

TEST_F(BaseLine, SlowsTheShorterAxesToTheLinesProportions) {
    robot->drawLineToCoordinate({300, 100, 0}, nullptr, std::nullopt, std::nullopt);
    EXPECT_EQ(robot->calls(), (Calls{
                                  "setAcceleration y " + text(100000 * (100.0 / 300.0)),
                                  "setVelocity y " + text(1000 * (100.0 / 300.0)),
                                  "moveXandY 300.0 100.0",
                                  "checkIfAxesAreMoving xy",
                                  "setAcceleration y 100000.0",
                                  "setVelocity y 1000.0",
                              }));
    EXPECT_EQ(robot->currentCoordinate(), Coordinate(300, 100, 0));
}

TEST_F(BaseLine, OverridesGoToXAndYAndArePutBackAfterTheScaledAxes) {
    robot->drawLineToCoordinate({200, 100, 50}, nullptr, 2000.0, std::nullopt);
    EXPECT_EQ(robot->calls(), (Calls{
                                  "setVelocity x 2000.0",
                                  "setVelocity y 2000.0",
                                  "setAcceleration z 25000.0",
                                  "setAcceleration y 50000.0",
                                  "setVelocity z 500.0",
                                  "setVelocity y 1000.0",
                                  "moveMotor z 50.0",
                                  "moveXandY 200.0 100.0",
                                  "checkIfAxesAreMoving xyz",
                                  "setAcceleration z 100000.0",
                                  "setAcceleration y 100000.0",
                                  "setVelocity z 10000.0",
                                  "setVelocity y 1000.0",
                                  "setVelocity x 1000.0",
                                  "setVelocity y 1000.0",
                              }));
}

TEST_F(BaseLine, ChoosesTheLeadingAxisByTravel) {
    struct Case {
        Coordinate displacement;
        Calls scaling; // the calls before the move
    };
    const Case cases[] = {
        // Equal X and Y travel: X leads, Y gets the ratio 1.
        {{100, 100, 0}, {"setAcceleration y 100000.0", "setVelocity y 1000.0"}},
        {{100, -400, 0}, {"setAcceleration x 25000.0", "setVelocity x 250.0"}},
        {{-400, 0, 100}, {"setAcceleration z 25000.0", "setVelocity z 250.0"}},
        {{0, 200, -50}, {"setAcceleration z 25000.0", "setVelocity z 250.0"}},
        {{100, 400, 200},
         {"setAcceleration z 50000.0", "setAcceleration x 25000.0", "setVelocity z 500.0",
          "setVelocity x 250.0"}},
        // One axis moves straight, without scaling.
        {{0, 0, 300}, {}},
        {{-300, 0, 0}, {}},
        {{0, 300, 0}, {}},
    };
    const Coordinate start(1000, 1000, 1000);
    for (const Case& c : cases) {
        robot->setCurrentCoordinate(start);
        robot->clearCalls();
        robot->drawLineToCoordinate(start + c.displacement, nullptr, std::nullopt, std::nullopt);
        const Calls calls = robot->calls();
        ASSERT_GT(calls.size(), c.scaling.size()) << c.displacement.preciseDescription();
        const Calls before(calls.begin(), calls.begin() + static_cast<std::ptrdiff_t>(c.scaling.size()));
        EXPECT_EQ(before, c.scaling) << c.displacement.preciseDescription();
        EXPECT_TRUE(calls[c.scaling.size()].starts_with("move")) << c.displacement.preciseDescription();
        EXPECT_EQ(robot->currentCoordinate(), start + c.displacement);
    }
}

TEST_F(BaseLine, ATargetWithinHalfAMicronMovesNothing) {
    robot->setCurrentCoordinate({1000, 1000, 1000});
    robot->drawLineToCoordinate({1000.4, 999.6, 1000.4}, nullptr, std::nullopt, 500.0);
    EXPECT_EQ(robot->calls(), (Calls{"setAcceleration x 500.0", "setAcceleration y 500.0"}));
    EXPECT_EQ(robot->currentCoordinate(), Coordinate(1000, 1000, 1000));
}

TEST_F(BaseLine, AnOverrideThatIsNoSpeedIsLeftOut) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const double bad : {0.0, -5.0, nan, std::numeric_limits<double>::infinity()}) {
        robot->setCurrentCoordinate(Coordinate::zero);
        robot->clearCalls();
        robot->drawLineToCoordinate({0, 0, 300}, nullptr, bad, bad);
        EXPECT_EQ(robot->calls(), (Calls{"moveMotor z 300.0", "checkIfAxesAreMoving z"})) << bad;
    }
}

TEST_F(BaseLine, AnErrorEndsTheLineWithNothingRestored) {
    robot->failOn("moveXandY");
    EXPECT_THROW(robot->drawLineToCoordinate({300, 100, 0}, nullptr, 2000.0, std::nullopt), RoboticsError);
    EXPECT_EQ(robot->calls(),
              (Calls{"setVelocity x 2000.0", "setVelocity y 2000.0",
                     "setAcceleration y " + text(100000 * (100.0 / 300.0)),
                     "setVelocity y " + text(2000 * (100.0 / 300.0)), "moveXandY 300.0 100.0"}));
    EXPECT_EQ(robot->currentCoordinate(), Coordinate::zero);

    robot->clearCalls();
    EXPECT_THROW(robot->drawLineToCoordinate({std::nan(""), 100, 0}, nullptr, 2000.0, std::nullopt),
                 RoboticsError);
    EXPECT_EQ(robot->calls(), Calls{});
}

// Draws its lines by recording their targets, to show which points the base
// arc hands to the model's own line.
class LineRecordingRobot : public RecordingRobot {
  public:
    using RecordingRobot::RecordingRobot;

    void drawLineToCoordinate(const Coordinate& coordinate, const std::shared_ptr<SurfaceTopographyMap>& map,
                              std::optional<double> velocity, std::optional<double> acceleration) override {
        lines.push_back({coordinate, map, velocity, acceleration});
        if (lines.size() == failingLine) {
            throw RoboticsError(RoboticsError::Kind::hitObstruction);
        }
    }

    struct Line {
        Coordinate target;
        std::shared_ptr<SurfaceTopographyMap> map;
        std::optional<double> velocity;
        std::optional<double> acceleration;
    };
    std::vector<Line> lines;
    std::size_t failingLine = 0;
};

TEST(BaseArc, DrawsEachSegmentThroughTheModelsOwnLine) {
    auto robot = Robot::make<LineRecordingRobot>(emptySettings());
    auto map = std::make_shared<SurfaceTopographyMap>();
    const Coordinate start(1000, 2000, 300);
    const SurfaceCant cant{0.001, -0.002};
    robot->drawArc(radians(0), radians(std::numbers::pi / 2), {10, 20, 0}, 500,
                   RotationalDirection::clockwise, start, cant, 2.0, radians(0.1), map, 1500.0, 20000.0);

    const auto expected = calculateArcDrawingCoordinates(50, radians(0), radians(std::numbers::pi / 2),
                                                         RotationalDirection::clockwise, {10, 20, 0}, 500,
                                                         {start, cant, 2.0, radians(0.1), map});
    ASSERT_EQ(robot->lines.size(), expected.size());
    ASSERT_EQ(expected.size(), 31u);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(robot->lines[i].target, expected[i]);
        EXPECT_EQ(robot->lines[i].map, map);
        EXPECT_EQ(robot->lines[i].velocity, 1500.0);
        EXPECT_EQ(robot->lines[i].acceleration, 20000.0);
    }

    robot->lines.clear();
    robot->drawArc(radians(0), radians(1), {0, 0, 0}, 10, RotationalDirection::clockwise, start, cant, 1.0,
                   radians(0), nullptr, std::nullopt, std::nullopt);
    EXPECT_TRUE(robot->lines.empty());

    robot->failingLine = 3;
    EXPECT_THROW(robot->drawArc(radians(0), radians(std::numbers::pi / 2), {10, 20, 0}, 500,
                                RotationalDirection::clockwise, start, cant, 2.0, radians(0.1), map, 1500.0,
                                20000.0),
                 RoboticsError);
    EXPECT_EQ(robot->lines.size(), 3u);
}

} // namespace
} // namespace Dotfield
