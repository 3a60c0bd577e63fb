// Contours streamed to the SmartMotor peer and played on the world.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Robotics/Models/DropwrightIIb.hpp"
#include "Dotfield/Robotics/SmartMotor/ContouringMoveSequence.hpp"
#include "Dotfield/Robotics/SmartMotor/ContouringPlanner.hpp"
#include "Dotfield/tests/Robotics/SmartMotor/ContourFixture.hpp"

namespace Dotfield::testing {
namespace {

using Simulators::ReplyFault;
using Simulators::WorldAxis;

constexpr double olderPeriod = 0.00024576;

using Command = Simulators::SimulatedSmartMotorBus::Command;

// Samples an axis of the world, with the world's time, until stopped.
class AxisSampler {
  public:
    AxisSampler(std::shared_ptr<Simulators::InstrumentWorld> world, WorldAxis axis)
        : world_(std::move(world)), thread_([this, axis] {
              while (!stop_) {
                  const Simulators::AxisStatus status = world_->axis(axis);
                  samples_.push_back({status.at, status.position});
                  std::this_thread::sleep_for(std::chrono::microseconds(20));
              }
          }) {}
    std::vector<std::pair<std::chrono::nanoseconds, double>> finish() {
        stop_ = true;
        thread_.join();
        return samples_;
    }

  private:
    std::shared_ptr<Simulators::InstrumentWorld> world_;
    std::atomic<bool> stop_{false};
    std::vector<std::pair<std::chrono::nanoseconds, double>> samples_;
    std::thread thread_;
};

// The trapezoid of the worked line: 1000 µm at 1000 µm/s, 10000 µm/s².
double workedLineAt(double t) {
    if (t < 0.1) {
        return 5000.0 * t * t;
    }
    if (t < 1.0) {
        return 50.0 + 1000.0 * (t - 0.1);
    }
    const double u = std::min(t, 1.1) - 1.0;
    return 950.0 + 1000.0 * u - 5000.0 * u * u;
}

class OlderMotorContours : public ContourFixture {
  protected:
    OlderMotorContours() : ContourFixture("IIa") {}
};

TEST_F(OlderMotorContours, TheWorkedLineGoesToXAloneAndTheWorldFollowsItsTrapezoid) {
    AxisSampler sampler(world, WorldAxis::x);
    robot->drawLineToCoordinate({1000, 0, 0}, nullptr, 1000.0, 10000.0);
    const auto samples = sampler.finish();

    const auto points = planLinearMove(16, false, {0, 0, 0}, {1000, 0, 0}, 1000.0, 10000.0, olderPeriod);
    ASSERT_EQ(points.size(), 19u);
    std::vector<Command> expected{{3, "MD", {}}, {0, "Q", {}}};
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i == 18) {
            expected.push_back({3, "G", {}}); // after F − 1 = 18 points
        }
        expected.push_back({0, "position", std::llround(points[i].coordinate.x / 5.0)});
        expected.push_back({0, "time", points[i].timestamp});
    }
    expected.push_back({0, "position", 200});
    expected.push_back({0, "time", 0});
    const auto transcript = bus->transcript();
    ASSERT_GT(transcript.size(), expected.size());
    EXPECT_EQ(std::vector<Command>(transcript.begin(), transcript.begin() + static_cast<long>(expected.size())),
              expected);
    const std::vector<std::int64_t> positions = itemsTo(0, "position");
    EXPECT_EQ(std::vector<std::int64_t>(positions.begin(), positions.begin() + 3), (std::vector<std::int64_t>{0, 4, 15}));
    EXPECT_EQ(std::vector<std::int64_t>(positions.end() - 3, positions.end()),
              (std::vector<std::int64_t>{199, 200, 200}));

    // Drained, then position mode and the last point.
    const std::vector<std::string> xTexts = textsTo(0);
    const auto mp = std::find(transcript.begin(), transcript.end(), Command{3, "MP", {}});
    ASSERT_NE(mp, transcript.end());
    EXPECT_TRUE(std::all_of(transcript.begin() + static_cast<long>(expected.size()), mp,
                            [](const Command& c) { return c == Command{0, "Q", {}}; }));
    const auto afterMp = std::find(xTexts.begin(), xTexts.end(), "P=200");
    ASSERT_NE(afterMp, xTexts.end());
    EXPECT_EQ(*(afterMp + 1), "G");
    for (const int motor : {1, 2, 3}) {
        EXPECT_TRUE(itemsTo(motor, "position").empty());
        EXPECT_TRUE(itemsTo(motor, "time").empty());
    }
    EXPECT_EQ(robot->currentCoordinate(), (Robot::Coordinate{1000, 0, 0}));
    EXPECT_NEAR(world->tipPosition().x, 1000.0, 1e-6);

    // While the buffered points play (all of them but the last were queued
    // before "G"), X is on the trapezoid: a count, and the straight pieces
    // between points, away from it at most.
    const auto started = bus->contourStart(WorldAxis::x);
    ASSERT_TRUE(started);
    std::size_t checked = 0;
    for (const auto& [at, position] : samples) {
        const double t = std::chrono::duration<double>(at - *started).count();
        if (t >= 0.0 && t <= 17 * 256 * olderPeriod) {
            EXPECT_NEAR(position, workedLineAt(t), 9.0) << "at " << t << " s";
            ++checked;
        }
    }
    EXPECT_GT(checked, 0u);
}

TEST_F(ContourFixture, TheWorkedLineOnNewerMotors) {
    robot->drawLineToCoordinate({1000, 0, 0}, nullptr, 1000.0, 10000.0);
    const auto transcript = bus->transcript();
    // F = 16: "G" twice after 15 points; segment times of 256; the closing
    // time 256 + 32768; positions of 2.5 µm counts, least significant byte first.
    std::size_t positionsBeforeGo = 0;
    for (std::size_t i = 0; i < transcript.size(); ++i) {
        if (transcript[i] == Command{3, "G", {}}) {
            EXPECT_EQ(transcript[i + 1], (Command{3, "G", {}}));
            break;
        }
        positionsBeforeGo += transcript[i].command == "position" ? 1 : 0;
    }
    EXPECT_EQ(positionsBeforeGo, 15u);
    const std::vector<std::int64_t> times = itemsTo(0, "time");
    ASSERT_EQ(times.size(), 37u);
    EXPECT_TRUE(std::all_of(times.begin(), times.end() - 1, [](std::int64_t t) { return t == 256; }));
    EXPECT_EQ(times.back(), 33024);
    EXPECT_EQ(itemsTo(0, "position").back(), 400);
    EXPECT_TRUE(itemsTo(1, "position").empty());
    EXPECT_EQ(robot->currentCoordinate(), (Robot::Coordinate{1000, 0, 0}));
    EXPECT_NEAR(world->tipPosition().x, 1000.0, 1e-6);
}

TEST_F(ContourFixture, ContoursThatMoveNothingOrCannotBeSentSendNothing) {
    struct Case {
        const char* name;
        std::vector<ContouringCoordinate> points;
        bool refused;
    };
    const std::vector<Case> cases{
        {"one point", {{{10, 10, 10}, 0}}, false},
        {"within 0.5", {{{10, 10, 10}, 256}, {{10.4, 9.6, 10.5}, 256}, {{10.2, 10, 10}, 256}}, false},
        {"beyond the 32-bit counts", {{{0, 0, 0}, 256}, {{1000, 0, 0}, 256}, {{6e9, 0, 0}, 256}}, true},
        {"a time beyond 32 bits", {{{0, 0, 0}, 256}, {{1000, 0, 0}, 3'000'000'000}}, true},
        {"a closing time beyond 32 bits", {{{0, 0, 0}, 256}, {{1000, 0, 0}, 2'147'483'000}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            animaticsMoveSequence(c.points, *robot);
            EXPECT_FALSE(c.refused);
        } catch (const RoboticsError& error) {
            EXPECT_TRUE(c.refused);
            EXPECT_EQ(error.kind(), RoboticsError::Kind::abortedDuringMove);
        }
        EXPECT_TRUE(bus->transcript().empty());
    }
}

TEST_F(ContourFixture, AllThreeAxesTakeOneTimeFrameForAll) {
    robot->moveToPosition({0, 0, 100});
    bus->clearTranscript();
    robot->drawLineToCoordinate({300, 400, 200}, nullptr, 1000.0, 10000.0);
    const std::vector<std::int64_t> broadcast = itemsTo(3, "time");
    EXPECT_EQ(broadcast.size(), itemsTo(0, "position").size());
    for (int motor = 0; motor < 3; ++motor) {
        EXPECT_TRUE(itemsTo(motor, "time").empty());
    }
    const Simulators::WorldPoint tip = world->tipPosition();
    EXPECT_NEAR(tip.x, 300.0, 1e-6);
    EXPECT_NEAR(tip.y, 400.0, 1e-6);
    EXPECT_NEAR(tip.z, 200.0, 1e-6);
}

TEST_F(ContourFixture, AFailureMidStreamReturnsTheMotorsToPositionMode) {
    struct Case {
        const char* name;
        std::function<void()> spoil;
        RoboticsError::Kind kind;
    };
    const std::vector<Case> cases{
        // MD, Q, three points: the echo of the fourth point's position is lost twice.
        {"a frame fails",
         [&] {
             for (int i = 0; i < 8; ++i) {
                 bus->queueReplyFault(ReplyFault::pass());
             }
             bus->queueReplyFault(ReplyFault::drop());
             bus->queueReplyFault(ReplyFault::drop());
         },
         RoboticsError::Kind::notConnected},
        {"the contour fails", [&] { bus->setContourStatusFlags(WorldAxis::x, Bus::contourErrorFlag); },
         RoboticsError::Kind::corruptedCommunications},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.spoil();
        try {
            robot->drawLineToCoordinate({5000, 0, 0}, nullptr, 1000.0, 10000.0);
            ADD_FAILURE() << "drawn";
        } catch (const RoboticsError& error) {
            EXPECT_EQ(error.kind(), c.kind);
        }
        EXPECT_TRUE(sentAfterTheLastPosition({0, "S", {}}));
        EXPECT_TRUE(sentAfterTheLastPosition({3, "MP", {}}));
        EXPECT_EQ(bus->mode(WorldAxis::x), Bus::positionMode);
        bus->clearFaults();
        bus->setContourStatusFlags(WorldAxis::x, 0);
        bus->clearTranscript();
    }
}

// Every look at it is a quarter of a second later.
class SteppingClock final : public Clock {
  public:
    TimePoint now() const override { return TimePoint(std::chrono::milliseconds(250) * ++looks_); }
    bool waitUntil(TimePoint, WakeSignal&) override { return true; }

  private:
    mutable std::atomic<int> looks_{0};
};

TEST_F(ContourFixture, AMotorThatStopsDrainingEndsTheStream) {
    const auto link = robot->serialPort();
    robot = Robot::make<DropwrightIIb>(store, std::make_shared<SteppingClock>(), sleeper);
    robot->setSerialPort(link);
    bus->stallMotor(WorldAxis::x);
    try {
        // 100 points: more than the 45 places.
        robot->drawLineToCoordinate({3000, 0, 0}, nullptr, 1000.0, 10000.0);
        FAIL() << "drawn";
    } catch (const RoboticsError& error) {
        EXPECT_EQ(error.kind(), RoboticsError::Kind::corruptedCommunications);
    }
    EXPECT_EQ(itemsTo(0, "position").size(), 43u); // until two places were left
    // The 43 queued segments play in 1.35 s; with 1 s more the wait gives up
    // after about ten looks at the clock, pausing between its queries.
    EXPECT_GE(sleeper->pauses.size(), 8u);
    EXPECT_LE(sleeper->pauses.size(), 10u);
    EXPECT_TRUE(std::all_of(sleeper->pauses.begin(), sleeper->pauses.end(),
                            [](auto pause) {
                                return pause > std::chrono::microseconds(900) &&
                                       pause < std::chrono::microseconds(1100);
                            }));
    EXPECT_TRUE(sentAfterTheLastPosition({3, "MP", {}}));
    for (int motor = 0; motor < 3; ++motor) {
        EXPECT_TRUE(sentAfterTheLastPosition({motor, "S", {}}));
    }
    EXPECT_FALSE(world->axis(WorldAxis::x).moving);
    EXPECT_EQ(bus->mode(WorldAxis::x), Bus::positionMode);
}

TEST_F(ContourFixture, ALongContourIsFedAsTheMotorsDrainIt) {
    // 100 points through 45 places, and the closing repeat.
    robot->drawLineToCoordinate({3000, 0, 0}, nullptr, 1000.0, 10000.0);
    EXPECT_EQ(itemsTo(0, "position").size(), 101u);
    EXPECT_EQ(robot->currentCoordinate(), (Robot::Coordinate{3000, 0, 0}));
    EXPECT_NEAR(world->tipPosition().x, 3000.0, 1e-6);
}

} // namespace
} // namespace Dotfield::testing
