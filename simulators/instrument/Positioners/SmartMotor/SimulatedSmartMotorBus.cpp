#include "simulators/instrument/Positioners/SmartMotor/SimulatedSmartMotorBus.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace Simulators {

namespace {

constexpr std::uint8_t allMotorsAddress = 0x80;
constexpr std::uint8_t lastMotorAddress = 0x83;
constexpr std::uint8_t positionKind = 0xFA;
constexpr std::uint8_t timeKind = 0xFB;
constexpr std::uint8_t space = 0x20;
constexpr std::uint8_t carriageReturn = 0x0D;
constexpr std::size_t dataFrameLength = 7;
// Longer text is no command of these motors: dropped.
constexpr std::size_t longestText = 64;
constexpr std::uint8_t bufferReplyMarker = 0xF9;

constexpr WorldAxis worldAxes[] = {WorldAxis::x, WorldAxis::y, WorldAxis::z};

std::optional<std::int64_t> integer(std::string_view text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::uint8_t> textReply(std::int64_t value) {
    const std::string text = std::to_string(value);
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(carriageReturn);
    return bytes;
}

} // namespace

SimulatedSmartMotorBus::SimulatedSmartMotorBus(std::shared_ptr<InstrumentWorld> world, Generation generation,
                                               std::uint32_t baudRate)
    : SimulatedPeer(SerialLineSettings{.baudRate = baudRate}), world_(std::move(world)), generation_(generation) {
    const bool older = generation == Generation::older;
    for (Motor& motor : motors_) {
        motor.contour = SmartMotorContourBuffer(older ? olderBufferPlaces : newerBufferPlaces,
                                                older ? olderSamplePeriod : newerSamplePeriod, !older);
    }
}

std::vector<SimulatedSmartMotorBus::Command> SimulatedSmartMotorBus::transcript() const {
    auto lock = lockState();
    return transcript_;
}

void SimulatedSmartMotorBus::clearTranscript() {
    auto lock = lockState();
    transcript_.clear();
}

void SimulatedSmartMotorBus::queueBufferReply(WorldAxis axis, std::vector<std::uint8_t> reply) {
    auto lock = lockState();
    motors_[static_cast<std::size_t>(axis)].bufferReplies.push_back(std::move(reply));
}

void SimulatedSmartMotorBus::setMode(WorldAxis axis, std::int64_t mode) {
    auto lock = lockState();
    motors_[static_cast<std::size_t>(axis)].mode = mode;
}

std::int64_t SimulatedSmartMotorBus::mode(WorldAxis axis) const {
    auto lock = lockState();
    return motors_[static_cast<std::size_t>(axis)].mode;
}

std::optional<std::int64_t> SimulatedSmartMotorBus::gain(WorldAxis axis, const std::string& name) const {
    auto lock = lockState();
    const auto& gains = motors_[static_cast<std::size_t>(axis)].gains;
    const auto found = gains.find(name);
    return found == gains.end() ? std::nullopt : std::optional(found->second);
}

void SimulatedSmartMotorBus::stallMotor(WorldAxis axis) {
    auto lock = lockState();
    Motor& motor = motors_[static_cast<std::size_t>(axis)];
    motor.contour.stall(world_->now().count());
    if (motor.followsContour) {
        world_->haltAxis(axis);
        motor.followsContour = false;
    }
}

void SimulatedSmartMotorBus::setContourStatusFlags(WorldAxis axis, std::uint8_t flags) {
    auto lock = lockState();
    motors_[static_cast<std::size_t>(axis)].contourFlags = flags;
}

std::optional<std::chrono::nanoseconds> SimulatedSmartMotorBus::contourStart(WorldAxis axis) const {
    auto lock = lockState();
    return motors_[static_cast<std::size_t>(axis)].contourStartedAt;
}

// ---- Decoding -------------------------------------------------------------------------

void SimulatedSmartMotorBus::decode(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> out;
    for (const std::uint8_t byte : bytes) {
        out.push_back(byte); // every byte is echoed
        if (frame_.empty()) {
            if (byte >= allMotorsAddress && byte <= lastMotorAddress) {
                frame_.push_back(byte);
            }
            continue;
        }
        frame_.push_back(byte);
        const int address = frame_[0] - allMotorsAddress;
        if (frame_[1] == positionKind || frame_[1] == timeKind) {
            if (frame_.size() == dataFrameLength) {
                if (frame_.back() == carriageReturn) {
                    handleData(address, frame_[1], std::span<const std::uint8_t, 4>(frame_.data() + 2, 4));
                }
                frame_.clear();
            }
            continue;
        }
        if (byte == space) {
            handleText(address, std::string(frame_.begin() + 1, frame_.end() - 1), out);
            frame_.clear();
        } else if (frame_.size() > longestText) {
            frame_.clear();
        }
    }
    reply(std::move(out));
}

void SimulatedSmartMotorBus::handleData(int address, std::uint8_t kind, std::span<const std::uint8_t, 4> data) {
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::size_t from = generation_ == Generation::older ? i : 3 - i;
        bits = (bits << 8) | data[from];
    }
    const auto value = static_cast<std::int32_t>(bits);
    const int motor = address == 0 ? 3 : address - 1;
    transcript_.push_back({motor, kind == positionKind ? "position" : "time", value});
    if (motor == 3) {
        for (const WorldAxis axis : worldAxes) {
            takeDataItem(axis, kind, value);
        }
    } else {
        takeDataItem(worldAxes[motor], kind, value);
    }
}

void SimulatedSmartMotorBus::takeDataItem(WorldAxis axis, std::uint8_t kind, std::int32_t value) {
    Motor& motor = motors_[static_cast<std::size_t>(axis)];
    if (motor.mode != contourMode) {
        return; // position mode has no use for data items
    }
    if (kind == positionKind) {
        motor.contour.takePosition(worldPosition(axis, static_cast<double>(value)));
        return;
    }
    if (!motor.contour.takeTime(value, world_->now().count())) {
        motor.contourFlags |= generation_ == Generation::older ? stalledFlag : contourErrorFlag;
    }
    if (motor.contour.startedAt()) {
        playContour(axis);
    }
}

void SimulatedSmartMotorBus::playContour(WorldAxis axis) {
    Motor& motor = motors_[static_cast<std::size_t>(axis)];
    const std::vector<TrackPoint> track = motor.contour.track(world_->now().count());
    if (track.empty()) {
        return;
    }
    motor.followsContour = true;
    if (world_->followTrack(axis, track) != InstrumentWorld::MoveResult::started) {
        motor.refusedMove = true;
    }
}

void SimulatedSmartMotorBus::stopContour(WorldAxis axis) {
    Motor& motor = motors_[static_cast<std::size_t>(axis)];
    if (motor.followsContour) {
        world_->haltAxis(axis);
        motor.followsContour = false;
    }
    motor.contour.clear();
}

void SimulatedSmartMotorBus::handleText(int address, const std::string& text, std::vector<std::uint8_t>& out) {
    const std::size_t equals = text.find('=');
    const std::string name = text.substr(0, equals);
    std::optional<std::int64_t> value;
    if (equals != std::string::npos) {
        value = integer(std::string_view(text).substr(equals + 1));
        if (!value) {
            return; // a malformed number: the motors ignore the command
        }
    }
    const int motor = address == 0 ? 3 : address - 1;
    transcript_.push_back({motor, name, value});

    if (name.starts_with("BAUD") && !value) {
        if (const auto rate = integer(std::string_view(name).substr(4)); rate && *rate > 0) {
            setExpectedBaudRate(static_cast<std::uint32_t>(*rate));
        }
        return;
    }
    if (motor == 3) {
        // Broadcast: every motor acts, none answers (their replies would collide).
        for (const WorldAxis axis : worldAxes) {
            apply(axis, name, value);
        }
        return;
    }
    if (const auto answer = apply(worldAxes[motor], name, value)) {
        out.insert(out.end(), answer->begin(), answer->end());
    }
}

// ---- Motors ---------------------------------------------------------------------------------

std::optional<std::vector<std::uint8_t>> SimulatedSmartMotorBus::apply(WorldAxis axis, const std::string& name,
                                                                       std::optional<std::int64_t> value) {
    Motor& motor = motors_[static_cast<std::size_t>(axis)];
    const bool older = generation_ == Generation::older;
    if (value) {
        if (name == (older ? "P" : "PT")) {
            motor.target = *value;
        } else if (name == (older ? "V" : "VT") && *value > 0) {
            motor.velocity = static_cast<double>(*value) / (older ? 3.2212 : 3.2768);
        } else if (name == (older ? "A" : "AT") && *value > 0) {
            motor.acceleration = static_cast<double>(*value) / (older ? 0.000791 : 0.0004096);
        } else if (name == "KP" || name == "KI" || name == "KD" || name == "KL" || name == "KV" || name == "KA") {
            motor.gains[name] = *value;
        }
        return std::nullopt;
    }
    if (name == "G") {
        if (motor.mode == positionMode && motor.target) {
            startMove(axis);
        } else if (motor.mode == contourMode && !motor.contour.startedAt()) {
            motor.contour.start(world_->now().count());
            motor.contourStartedAt = std::chrono::nanoseconds(*motor.contour.startedAt());
            playContour(axis);
        }
    } else if (name == "S") {
        stopContour(axis);
        world_->haltAxis(axis);
        motor.commanded = false;
    } else if (name == "ZS") {
        world_->clearFault(axis);
        motor.refusedMove = false;
        // The servo still holds its target: short of it, the motor drives on.
        if (motor.commanded && motor.target && std::llabs(counts(axis) - *motor.target) >= 1 &&
            !world_->axis(axis).moving) {
            startMove(axis);
        }
    } else if (name == "RUN") {
        motor.commanded = false;
        motor.target.reset();
        if (world_->homeAxis(axis) != InstrumentWorld::MoveResult::started) {
            motor.refusedMove = true;
        }
    } else if (name == "MP") {
        // Back in position mode the motor holds where the contour left it.
        stopContour(axis);
        motor.mode = positionMode;
        motor.target = counts(axis);
        motor.commanded = false;
    } else if (name == "MD") {
        stopContour(axis);
        motor.mode = contourMode;
        motor.commanded = false;
    } else if (name == "F" || name == "MDS") {
        // Recorded in the transcript; nothing to model.
    } else if (name == "Rh") {
        const AxisStatus status = world_->axis(axis);
        return textReply(status.homed && !status.homing ? 1 : 0);
    } else if (name == (older ? "RP" : "RPA")) {
        return textReply(counts(axis));
    } else if (name == "RW") {
        return textReply(statusWord(axis));
    } else if (name == "RMODE") {
        return textReply(motor.mode);
    } else if (name == "Q") {
        return bufferReply(axis);
    }
    return std::nullopt;
}

void SimulatedSmartMotorBus::startMove(WorldAxis axis) {
    Motor& motor = motors_[static_cast<std::size_t>(axis)];
    motor.commanded = true;
    motor.followsContour = false;
    const InstrumentWorld::MoveResult result = world_->moveAxis(
        {axis, worldPosition(axis, static_cast<double>(*motor.target)), motor.velocity, motor.acceleration});
    // A faulted axis shows its fault already; other refusals raise the error bit.
    motor.refusedMove = result == InstrumentWorld::MoveResult::invalid ||
                        result == InstrumentWorld::MoveResult::notHomed;
}

double SimulatedSmartMotorBus::countScale(WorldAxis axis) const {
    const double k = generation_ == Generation::older ? 5.0 : 2.5;
    switch (axis) {
    case WorldAxis::x:
        return k;
    case WorldAxis::y:
        return -k;
    case WorldAxis::z:
        return generation_ == Generation::older ? -k : k;
    }
    return k;
}

double SimulatedSmartMotorBus::countOrigin(WorldAxis axis) const {
    if (axis != WorldAxis::z) {
        return 0.0;
    }
    // Z counts from the top of its travel: 20800 counts of 5 µm down to 0, or
    // −43700 counts of 2.5 µm up to 0.
    return generation_ == Generation::older ? 20800.0 * 5.0 : 43700.0 * 2.5;
}

double SimulatedSmartMotorBus::worldPosition(WorldAxis axis, double motorCounts) const {
    return countOrigin(axis) + countScale(axis) * motorCounts;
}

std::int64_t SimulatedSmartMotorBus::counts(WorldAxis axis) const {
    const double position = world_->axis(axis).position;
    return std::llround((position - countOrigin(axis)) / countScale(axis));
}

std::int64_t SimulatedSmartMotorBus::statusWord(WorldAxis axis) const {
    const bool older = generation_ == Generation::older;
    const AxisStatus status = world_->axis(axis);
    std::int64_t word = 0;
    if (status.moving) {
        word |= older ? 0x1 : 0x4;
    }
    if (status.faulted || motors_[static_cast<std::size_t>(axis)].refusedMove) {
        word |= older ? 0x4000 : 0x10;
    }
    return word;
}

std::vector<std::uint8_t> SimulatedSmartMotorBus::bufferReply(WorldAxis axis) {
    Motor& motor = motors_[static_cast<std::size_t>(axis)];
    if (!motor.bufferReplies.empty()) {
        std::vector<std::uint8_t> scripted = std::move(motor.bufferReplies.front());
        motor.bufferReplies.pop_front();
        return scripted;
    }
    const auto free = static_cast<std::uint8_t>(motor.contour.freePlaces(world_->now().count()));
    if (generation_ == Generation::older) {
        if ((motor.contourFlags & stalledFlag) != 0) {
            return {0x00, stalledFlag, 0x00, 0x00, 0x00};
        }
        return {0x00, static_cast<std::uint8_t>(0x80 | free), free, 0x00, 0x00};
    }
    return {bufferReplyMarker, free, motor.contourFlags, 0x00, 0x00, 0x00};
}

} // namespace Simulators
