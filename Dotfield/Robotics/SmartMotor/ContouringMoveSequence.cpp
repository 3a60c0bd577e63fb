#include "Dotfield/Robotics/SmartMotor/ContouringMoveSequence.hpp"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <limits>
#include <optional>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Instrument/SerialLink/SerialCommunication.hpp"
#include "Dotfield/Robotics/Models/DropwrightIIa.hpp"
#include "Dotfield/Robotics/SmartMotor/AnimaticsCommands.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

using VeltranePatterns::Coordinate;

constexpr std::array<MotorPosition, 3> motors{MotorPosition::xMotor, MotorPosition::yMotor, MotorPosition::zMotor};
constexpr double movingMargin = 0.5;
// The motors are started with at least this many samples queued (newer
// motors, equal timestamps).
constexpr std::int64_t prefillSamples = 4001;
// A point is sent only while every moving buffer keeps more free places than this.
constexpr std::int64_t reservedPlaces = 2;
// Added on the newer motors to the last timestamp to close the contour.
constexpr std::int64_t closingTimeFlag = 32768;
// The pause between buffer queries while waiting for the buffers to drain (s).
constexpr double freePlacePollInterval = 0.001;
// How much longer than the queued segments take to play a buffer may go
// without freeing a place, while the motors report no motion either (s).
constexpr double stalledBufferGrace = 1.0;

RoboticsError logged(RoboticsError::Kind kind) {
    return Diagnostics::logAndReturnError(RoboticsError(kind));
}

std::int32_t timeItem(std::int64_t samples) {
    if (samples < std::numeric_limits<std::int32_t>::min() || samples > std::numeric_limits<std::int32_t>::max()) {
        throw logged(RoboticsError::Kind::abortedDuringMove);
    }
    return static_cast<std::int32_t>(samples);
}

} // namespace

// One contour on its way to the motors. Friend of DropwrightIIa: it talks
// over the robot's link, pauses with its sleeper and times with its clock.
class AnimaticsContourStream {
  public:
    AnimaticsContourStream(const std::vector<ContouringCoordinate>& points, DropwrightIIa& robot)
        : points_(points), robot_(robot) {}

    void run();
    // "MP" to all motors, then finish().
    static void finishFromContourMode(const Coordinate& at, DropwrightIIa& robot);
    // Z then X and Y to the coordinate, and the wait.
    static void finish(const Coordinate& at, DropwrightIIa& robot);

  private:
    using FreePlaces = std::array<std::optional<std::int64_t>, 3>;

    void prepare();
    std::int64_t prefillCount() const;
    void stream();
    void sendPoint(std::size_t index);
    void sendTime(std::int32_t time);
    void start();
    void waitForFreePlaces(std::size_t index);
    void drain();
    // Queries the moving motors until each has at least `wanted` free places.
    // `sent` points have been queued. Waits by time, never by a count of
    // readings: a buffer may keep its count for as long as its oldest
    // segment plays. Only when no place was freed and no motor moved for
    // longer than the queued segments take to play, plus a grace, is the
    // contour stalled: the motors are stopped and the caller gets an error.
    void awaitFreePlaces(std::size_t sent, std::int64_t wanted);
    bool anyMovingAxisMoves();
    void readFreePlaces(FreePlaces& into);
    std::int64_t smallestFree(const FreePlaces& places) const;
    // Playing time (s) of the `queued` points before `index`.
    double playingTime(std::size_t index, std::int64_t queued) const;
    // The motors stop where they are and go back to position mode; failures
    // of either are dropped.
    void stopInPositionMode();
    void abortIfAsked();
    void exchange(const std::vector<std::uint8_t>& frame) { exchangeAnimaticsFrame(frame, *port_); }

    const std::vector<ContouringCoordinate>& points_;
    DropwrightIIa& robot_;
    SerialPort* port_ = nullptr;
    std::array<bool, 3> moving_{};
    // Rounded motor counts of every point (moving axes only), its time item,
    // and the samples played up to and including it.
    std::vector<std::array<std::int32_t, 3>> counts_;
    std::vector<std::int32_t> times_;
    std::vector<std::int64_t> playedSamples_;
    std::int32_t closingTime_ = 0;
    FreePlaces free_{};
    std::int64_t bufferSize_ = 0;
    bool started_ = false;
    bool inContourMode_ = false;
};

void AnimaticsContourStream::run() {
    if (points_.size() < 2) {
        return;
    }
    const Coordinate& first = points_.front().coordinate;
    for (const ContouringCoordinate& point : points_) {
        const VeltranePatterns::AxisFlags differ = point.coordinate.differenceAboveMargin(first, movingMargin);
        moving_ = {moving_[0] || differ.x, moving_[1] || differ.y, moving_[2] || differ.z};
    }
    if (!moving_[0] && !moving_[1] && !moving_[2]) {
        return;
    }
    port_ = &robot_.link();
    prepare();

    inContourMode_ = true;
    try {
        exchange(animaticsCommandBytes("MD", MotorPosition::allMotors));
        stream();
    } catch (...) {
        // Left in contour mode, the motors would take the next position
        // move wrongly.
        if (inContourMode_) {
            stopInPositionMode();
        }
        throw;
    }
}

void AnimaticsContourStream::prepare() {
    // Checked for the whole contour before the first frame: a contour the
    // motors cannot take is refused with nothing sent.
    counts_.reserve(points_.size());
    times_.reserve(points_.size());
    playedSamples_.reserve(points_.size());
    const bool newMotors = robot_.usesNewAnimaticsMotors();
    std::int64_t played = 0;
    for (std::size_t i = 0; i < points_.size(); ++i) {
        const Coordinate& c = points_[i].coordinate;
        std::array<std::int32_t, 3> counts{};
        if (moving_[0]) {
            counts[0] = animaticsInteger(robot_.convertPositionToMotorCoordinateSpaceInX(c.x));
        }
        if (moving_[1]) {
            counts[1] = animaticsInteger(robot_.convertPositionToMotorCoordinateSpaceInY(c.y));
        }
        if (moving_[2]) {
            counts[2] = animaticsInteger(robot_.convertPositionToMotorCoordinateSpaceInZ(c.z));
        }
        counts_.push_back(counts);
        const std::int64_t timestamp = points_[i].timestamp;
        times_.push_back(timeItem(timestamp));
        // Newer motors take segment durations; older ones times since the start.
        played = newMotors ? played + timestamp : timestamp - points_.front().timestamp;
        playedSamples_.push_back(played);
    }
    closingTime_ = newMotors ? timeItem(points_.back().timestamp + closingTimeFlag) : 0;
}

std::int64_t AnimaticsContourStream::prefillCount() const {
    const auto m = static_cast<std::int64_t>(points_.size());
    const std::int64_t first = points_[0].timestamp;
    const std::int64_t second = points_[1].timestamp;
    if (second == first) {
        std::int64_t sum = 0;
        for (std::int64_t i = 0; i < m; ++i) {
            sum += points_[static_cast<std::size_t>(i)].timestamp;
            if (sum >= prefillSamples) {
                return i + 1;
            }
        }
        return std::min(m, bufferSize_ - 2);
    }
    if (second - first > 255) {
        return std::min(m, bufferSize_ - 2);
    }
    return bufferSize_ - 1;
}

void AnimaticsContourStream::stream() {
    readFreePlaces(free_);
    bufferSize_ = 0;
    for (const auto& places : free_) {
        bufferSize_ = std::max(bufferSize_, places.value_or(0));
    }
    const std::int64_t prefill = prefillCount();

    for (std::size_t i = 0; i < points_.size(); ++i) {
        abortIfAsked();
        // The motors start once F − 1 points are queued.
        if (!started_ && static_cast<std::int64_t>(i) + 1 >= prefill) {
            start();
        }
        if (smallestFree(free_) <= reservedPlaces) {
            waitForFreePlaces(i);
        }
        sendPoint(i);
    }

    // Closing items: the last positions once more, then the closing time.
    const std::array<std::int32_t, 3>& last = counts_.back();
    for (std::size_t axis = 0; axis < 3; ++axis) {
        if (moving_[axis]) {
            exchange(animaticsPositionFrame(robot_.bytesForInt32(last[axis]), motors[axis]));
        }
    }
    sendTime(closingTime_);
    if (!started_) {
        start();
    }
    drain();

    exchange(animaticsCommandBytes("MP", MotorPosition::allMotors));
    inContourMode_ = false;
    finish(points_.back().coordinate, robot_);
}

void AnimaticsContourStream::sendPoint(std::size_t index) {
    const std::array<std::int32_t, 3>& counts = counts_[index];
    for (std::size_t axis = 0; axis < 3; ++axis) {
        if (moving_[axis]) {
            exchange(animaticsPositionFrame(robot_.bytesForInt32(counts[axis]), motors[axis]));
            *free_[axis] -= 1;
        }
    }
    sendTime(times_[index]);
}

void AnimaticsContourStream::sendTime(std::int32_t time) {
    // One frame to all motors when all three move, else one per moving motor.
    sendAnimaticsCommand(robot_.bytesForInt32(time), moving_[0], moving_[1], moving_[2], *port_);
}

void AnimaticsContourStream::start() {
    const std::vector<std::uint8_t> go = animaticsCommandBytes("G", MotorPosition::allMotors);
    exchange(go);
    if (robot_.usesNewAnimaticsMotors()) {
        exchange(go);
    }
    started_ = true;
}

void AnimaticsContourStream::readFreePlaces(FreePlaces& into) {
    const DropwrightIIa::BufferSpace space = robot_.availableBufferSpaceOnAxes(moving_[0], moving_[1], moving_[2]);
    const std::array<std::optional<std::uint8_t>, 3> read{space.x, space.y, space.z};
    for (std::size_t axis = 0; axis < 3; ++axis) {
        into[axis] = read[axis] ? std::optional<std::int64_t>(*read[axis]) : std::nullopt;
    }
}

std::int64_t AnimaticsContourStream::smallestFree(const FreePlaces& places) const {
    return minimumOfOptionals(places[0], places[1], places[2]);
}

double AnimaticsContourStream::playingTime(std::size_t index, std::int64_t queued) const {
    if (index == 0 || queued <= 0) {
        return 0.0;
    }
    const std::size_t newest = index - 1;
    const std::size_t count = std::min(static_cast<std::size_t>(queued), index);
    const std::int64_t before = count < index ? playedSamples_[index - 1 - count] : 0;
    return static_cast<double>(playedSamples_[newest] - before) * robot_.modelRow().samplePeriod;
}

void AnimaticsContourStream::waitForFreePlaces(std::size_t index) {
    // Motors that have not been started cannot free a place.
    if (!started_) {
        start();
    }
    awaitFreePlaces(index, reservedPlaces + 1);
}

void AnimaticsContourStream::drain() {
    readFreePlaces(free_);
    awaitFreePlaces(points_.size(), bufferSize_ - 1);
}

void AnimaticsContourStream::awaitFreePlaces(std::size_t sent, std::int64_t wanted) {
    std::int64_t smallest = smallestFree(free_);
    if (smallest >= wanted) {
        return;
    }
    double limit = playingTime(sent, bufferSize_ - smallest) + stalledBufferGrace;
    Clock::TimePoint lastProgress = robot_.clock()->now();
    while (true) {
        abortIfAsked();
        for (std::size_t axis = 0; axis < 3; ++axis) {
            if (moving_[axis]) {
                free_[axis] = robot_.availableBufferSpaceOnMotor(motors[axis]);
            }
        }
        const std::int64_t now = smallestFree(free_);
        if (now >= wanted) {
            return;
        }
        const Clock::TimePoint at = robot_.clock()->now();
        if (now != smallest) {
            // What is still queued bounds the wait from here.
            smallest = now;
            limit = playingTime(sent, bufferSize_ - smallest) + stalledBufferGrace;
            lastProgress = at;
        } else if (std::chrono::duration<double>(at - lastProgress).count() > limit) {
            if (!anyMovingAxisMoves()) {
                // A motor that stopped draining would hold the robot queue
                // for good; finishing in a straight line would print the
                // wrong shape.
                stopInPositionMode();
                throw logged(RoboticsError::Kind::corruptedCommunications);
            }
            lastProgress = at;
        }
        robot_.pause(freePlacePollInterval);
    }
}

bool AnimaticsContourStream::anyMovingAxisMoves() {
    const VeltranePatterns::AxisFlags axes = robot_.checkIfAxesAreMoving(moving_[0], moving_[1], moving_[2], false);
    return axes.x || axes.y || axes.z;
}

void AnimaticsContourStream::abortIfAsked() {
    if (!robot_.movementAborted()) {
        return;
    }
    robot_.setMovementAborted(false);
    stopInPositionMode();
    robot_.haltMovement();
    robot_.setCurrentCoordinateAndNotify(robot_.readCurrentPosition());
    throw logged(RoboticsError::Kind::abortedDuringMove);
}

void AnimaticsContourStream::stopInPositionMode() {
    inContourMode_ = false;
    for (const MotorPosition motor : motors) {
        try {
            exchange(animaticsCommandBytes("S", motor));
        } catch (const CommunicationsError&) {
            // The next command finds out whether the link still works.
        }
    }
    try {
        exchange(animaticsCommandBytes("MP", MotorPosition::allMotors));
    } catch (const CommunicationsError&) {
        // As above: best effort, the original error is what the caller sees.
    }
}

void AnimaticsContourStream::finish(const Coordinate& at, DropwrightIIa& robot) {
    const double z = robot.convertPositionToMotorCoordinateSpaceInZ(at.z);
    const double x = robot.convertPositionToMotorCoordinateSpaceInX(at.x);
    const double y = robot.convertPositionToMotorCoordinateSpaceInY(at.y);
    robot.moveMotor(MotorPosition::zMotor, z);
    robot.moveXandYMotorsToPosition(x, y);
    // An abort halts, reads the position back, tells the observer and throws.
    robot.waitForMovementToFinishOnAxes(true, true, true, false);
    robot.setCurrentCoordinateAndNotify(at);
}

void animaticsMoveSequence(const std::vector<ContouringCoordinate>& points, DropwrightIIa& robot) {
    AnimaticsContourStream(points, robot).run();
}

void AnimaticsContourStream::finishFromContourMode(const Coordinate& at, DropwrightIIa& robot) {
    exchangeAnimaticsFrame(animaticsCommandBytes("MP", MotorPosition::allMotors), robot.link());
    finish(at, robot);
}

void finishAnimaticsMoveSequence(const Coordinate& at, DropwrightIIa& robot) {
    AnimaticsContourStream::finishFromContourMode(at, robot);
}

} // namespace Dotfield
