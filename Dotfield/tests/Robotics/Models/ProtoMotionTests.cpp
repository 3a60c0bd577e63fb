// Conversions, moves, faults and line drawing of the prototype positioner on
// the world.

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Robotics/Proto/ProtoCommands.hpp"
#include "Dotfield/tests/Robotics/Proto/ProtoFixture.hpp"
#include "Dotfield/tests/Support/ErrorCapture.hpp"

namespace Dotfield::testing {
namespace {

using Kind = RoboticsError::Kind;
using Coordinate = Robot::Coordinate;

class ProtoMotion : public ProtoFixture {
  protected:
    void SetUp() override {
        ProtoFixture::SetUp();
        connect();
        controllers->clearTranscript();
    }
    void setCounters(const Coordinate& counts) {
        const auto port = robot->serialPort();
        Proto::sendCommand(Proto::commandWithValue("D", static_cast<std::int64_t>(counts.x)), MotorPosition::xMotor,
                           *port);
        Proto::sendCommand(Proto::commandWithValue("D", static_cast<std::int64_t>(counts.y)), MotorPosition::yMotor,
                           *port);
        Proto::sendCommand(Proto::commandWithValue("D", static_cast<std::int64_t>(counts.z)), MotorPosition::zMotor,
                           *port);
    }
    void waitForTheWorld() {
        while (world->axis(WorldAxis::x).moving || world->axis(WorldAxis::y).moving ||
               world->axis(WorldAxis::z).moving) {
        }
    }
};

TEST_F(ProtoMotion, CountsAndMicronsConvertBothWays) {
    struct Case {
        Coordinate counts;
        Coordinate microns;
    };
    for (const Case& c : {Case{{0, 0, 576000}, {0, 0, 0}}, Case{{1280, -1280, 0}, {1000, 1000, 90000}}}) {
        setCounters(c.counts);
        EXPECT_EQ(robot->readRawCurrentPosition(), c.counts);
        EXPECT_EQ(robot->readCurrentPosition(), c.microns);
        EXPECT_EQ(robot->convertPositionToMotorCoordinateSpaceInX(c.microns.x), c.counts.x);
        EXPECT_EQ(robot->convertPositionToMotorCoordinateSpaceInY(c.microns.y), c.counts.y);
        EXPECT_EQ(robot->convertPositionToMotorCoordinateSpaceInZ(c.microns.z), c.counts.z);
    }
    EXPECT_EQ(robot->convertPositionToMotorCoordinateSpaceInZ(1000.0), 569600.0);

    // The offsets from home to the limit switches shift both ways alike.
    store->setDouble(100.0, "offsetFromHomePositionToLimitInX");
    store->setDouble(-200.0, "offsetFromHomePositionToLimitInY");
    store->setDouble(50.0, "offsetFromHomePositionToLimitInZ");
    remakeRobot(robotClock);
    const Coordinate target{1462.5, 1762.5, 4950.0};
    setCounters({robot->convertPositionToMotorCoordinateSpaceInX(target.x),
                 robot->convertPositionToMotorCoordinateSpaceInY(target.y),
                 robot->convertPositionToMotorCoordinateSpaceInZ(target.z)});
    EXPECT_EQ(robot->readCurrentPosition(), target);
    EXPECT_EQ(robot->homeToLimitOffsetInMicrons(), (Coordinate{-100.0, 200.0, 89950.0}));
}

TEST_F(ProtoMotion, TargetsBeyondTheTravelGoOutAsItsEnds) {
    robot->moveXandYMotorsToPosition(-500.0, 100.0);
    robot->moveXandYMotorsToPosition(500000.0, -500000.0);
    robot->moveMotor(MotorPosition::zMotor, 600000.0);
    robot->moveMotor(MotorPosition::yMotor, -1280.4);
    robot->haltMovement();
    // X and Y start together with Z, which keeps where it stands.
    const std::vector<Command> expected{
        {'1', "s0"},       {'2', "s0"},       {'3', "s576000"}, {'*', "A"}, {'1', "s391680"},
        {'2', "s-391680"}, {'3', "s576000"}, {'*', "A"},       {'3', "s576000"}, {'3', "A"},
        {'2', "s-1280"},   {'2', "A"},       {'1', "S"},       {'2', "S"},  {'3', "S"},
    };
    EXPECT_EQ(controllers->transcript(), expected);
}

TEST_F(ProtoMotion, AMoveEndsInTheWorldWhereThePositionReadSaysItIs) {
    const Coordinate target{1000.0, 2000.0, 500.0};
    robot->moveToPosition(target);
    const Simulators::WorldPoint tip = world->tipPosition();
    EXPECT_NEAR(tip.x, target.x, 0.8);
    EXPECT_NEAR(tip.y, target.y, 0.8);
    EXPECT_NEAR(tip.z, target.z, 0.2);
    const Coordinate read = robot->readCurrentPosition();
    EXPECT_NEAR(read.x, tip.x, 0.8);
    EXPECT_NEAR(read.y, tip.y, 0.8);
    EXPECT_NEAR(read.z, tip.z, 0.2);
    // Z first, then X and Y together.
    EXPECT_LT(indexOf({'3', "s572800"}), indexOf({'1', "s1280"}));
    EXPECT_LT(indexOf({'1', "s1280"}), indexOf({'2', "s-2560"}));
}

TEST_F(ProtoMotion, AnObstructionStopsEveryAxisOutsideHomingOnly) {
    world->placeObstruction(WorldAxis::y, 2000.0, 3000.0);
    robot->moveMotor(MotorPosition::yMotor, robot->convertPositionToMotorCoordinateSpaceInY(5000.0));
    waitForTheWorld();
    EXPECT_EQ(controllers->status(WorldAxis::y), 165);

    // While homing, a fault is a stopped axis.
    controllers->clearTranscript();
    EXPECT_FALSE(robot->checkIfAxesAreMoving(true, true, true, true).y);
    EXPECT_EQ(textsTo('2'), std::vector<std::string>{"$"});

    // Otherwise every axis stops, the axis's fault is cleared at its count,
    // and the console names the axis.
    controllers->clearTranscript();
    std::optional<RoboticsError> error;
    EXPECT_TRUE(consoleShows(
        [&] {
            try {
                robot->checkIfAxesAreMoving(false, true, false, false);
            } catch (const RoboticsError& thrown) {
                error = thrown;
            }
        },
        "Hit obstruction in Y"));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), Kind::hitObstruction);
    EXPECT_EQ(controllers->transcript(), (std::vector<Command>{{'2', "$"},
                                                               {'1', "S"},
                                                               {'2', "S"},
                                                               {'3', "S"},
                                                               {'2', "ZC"},
                                                               {'2', "D-2560"}}));
    EXPECT_FALSE(world->axis(WorldAxis::y).faulted);
    EXPECT_NEAR(world->tipPosition().y, 2000.0, 1e-6);
}

TEST_F(ProtoMotion, ClearingAFaultSendsBackTheCountJustRead) {
    struct Case {
        std::string reply;
        std::vector<std::string> sent;
        std::optional<Kind> error;
    };
    const Case cases[] = {
        {"2ZC-77\r", {"ZC", "D-77"}, std::nullopt},
        // Without digits the count is unknown: nothing is sent back, so the
        // axis is not re-zeroed.
        {"2ZCabc\r", {"ZC"}, Kind::corruptedCommunications},
        {"2ZC\r", {"ZC"}, Kind::corruptedCommunications},
    };
    for (const Case& c : cases) {
        controllers->clearTranscript();
        controllers->replaceNextReply(WorldAxis::y, c.reply);
        if (c.error) {
            EXPECT_EQ(
                errorThrownBy<RoboticsError>([&] { robot->clearPositionerErrorForMotor(MotorPosition::yMotor); })
                    .kind(),
                *c.error);
        } else {
            robot->clearPositionerErrorForMotor(MotorPosition::yMotor);
        }
        EXPECT_EQ(textsTo('2'), c.sent) << c.reply;
    }
}

TEST_F(ProtoMotion, ALineGivesTheShorterAxisItsShareOfSpeedAndRampThenItsOwn) {
    store->setAxisValues({900.0, 900.0, 900.0}, "automatedMovementVelocity", true);
    store->setAxisValues({30.0, 30.0, 30.0}, "automatedMovementAcceleration", true);
    remakeRobot(robotClock);
    robot->drawLineToCoordinate({300.0, 100.0, 0.0}, nullptr, std::nullopt, std::nullopt);

    // A third of what X really runs at (900 µm/s, and 29.998 µm/s² from the
    // ramp "b3586" that 30 µm/s² gives) before the one start of all axes,
    // 900 and 30 after.
    const std::size_t start = indexOf({'*', "A"});
    const auto transcript = controllers->transcript();
    ASSERT_LT(start, transcript.size());
    EXPECT_LT(indexOf({'2', "b14995"}), indexOf({'2', "o384"}));
    EXPECT_LT(indexOf({'2', "o384"}), start);
    const auto after = [&](const Command& command) {
        return static_cast<std::size_t>(std::find(transcript.begin() + static_cast<std::ptrdiff_t>(start),
                                                  transcript.end(), command) -
                                        transcript.begin());
    };
    EXPECT_LT(after({'2', "b3586"}), after({'2', "o1152"}));
    EXPECT_LT(after({'2', "o1152"}), transcript.size());
    // X leads with what it has.
    for (const std::string& text : textsTo('1')) {
        EXPECT_TRUE(text[0] != 'o' && text[0] != 'b') << text;
    }
    const Simulators::WorldPoint tip = world->tipPosition();
    EXPECT_NEAR(tip.x, 300.0, 0.8);
    EXPECT_NEAR(tip.y, 100.0, 0.8);
}

} // namespace
} // namespace Dotfield::testing
