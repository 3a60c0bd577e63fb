#include "simulators/instrument/Positioners/Proto/SimulatedProtoControllers.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

namespace Simulators {

namespace {

constexpr std::uint8_t frameStart = '#';
constexpr std::uint8_t carriageReturn = 0x0D;
// Longer frames are no command of these controllers: dropped.
constexpr std::size_t longestFrame = 64;
// How near an end of the travel or a home switch counts as at it, µm.
constexpr double positionTolerance = 1e-6;

constexpr WorldAxis worldAxes[] = {WorldAxis::x, WorldAxis::y, WorldAxis::z};

double component(const WorldPoint& point, WorldAxis axis) {
    switch (axis) {
    case WorldAxis::x:
        return point.x;
    case WorldAxis::y:
        return point.y;
    case WorldAxis::z:
        return point.z;
    }
    return point.x;
}

double micronsPerCount(WorldAxis axis) {
    return axis == WorldAxis::z ? SimulatedProtoControllers::micronsPerCountInZ
                                : SimulatedProtoControllers::micronsPerCountInXY;
}

// The command's name and the integer after it ("p2" is "p" and 2, "D-2048"
// "D" and −2048, "ZC" "ZC" alone). Nothing for a value that does not fit.
std::optional<std::pair<std::string, std::optional<std::int64_t>>> splitCommand(const std::string& text) {
    std::size_t digits = text.size();
    while (digits > 0 && text[digits - 1] >= '0' && text[digits - 1] <= '9') {
        --digits;
    }
    if (digits == text.size()) {
        return std::pair{text, std::optional<std::int64_t>{}};
    }
    const std::size_t valueStart = digits > 0 && text[digits - 1] == '-' ? digits - 1 : digits;
    std::int64_t value = 0;
    const char* first = text.data() + valueStart;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last) {
        return std::nullopt;
    }
    return std::pair{text.substr(0, valueStart), std::optional<std::int64_t>{value}};
}

// d0 runs towards higher counts: along the world's axis for X, against it
// for Y and Z, whose counts run against the microns.
bool towardsTravel(WorldAxis axis, int direction) {
    return (direction == 0) == (axis == WorldAxis::x);
}

double velocityFor(WorldAxis axis, std::int64_t counts) {
    return static_cast<double>(counts) * micronsPerCount(axis);
}

double accelerationFor(WorldAxis axis, std::int64_t ramp) {
    const double countsPerSecondSquared = 3000.0 / std::sqrt(static_cast<double>(ramp)) - 11.7;
    return std::max(countsPerSecondSquared, 1.0) * micronsPerCount(axis);
}

} // namespace

SimulatedProtoControllers::SimulatedProtoControllers(std::shared_ptr<InstrumentWorld> world)
    : SimulatedPeer(SerialLineSettings{.baudRate = baudRate}), world_(std::move(world)) {
    // Until told otherwise: 12800 counts/s and the steepest ramp.
    for (const WorldAxis axis : worldAxes) {
        controller(axis).velocity = velocityFor(axis, 12800);
        controller(axis).acceleration = accelerationFor(axis, 200);
    }
}

std::vector<SimulatedProtoControllers::Command> SimulatedProtoControllers::transcript() const {
    auto lock = lockState();
    return transcript_;
}

std::vector<std::string> SimulatedProtoControllers::textsTo(char motor) const {
    auto lock = lockState();
    std::vector<std::string> texts;
    for (const Command& command : transcript_) {
        if (command.motor == motor) {
            texts.push_back(command.text);
        }
    }
    return texts;
}

void SimulatedProtoControllers::clearTranscript() {
    auto lock = lockState();
    transcript_.clear();
}

void SimulatedProtoControllers::silence(WorldAxis axis, bool silent) {
    auto lock = lockState();
    controller(axis).silent = silent;
}

void SimulatedProtoControllers::replaceNextReply(WorldAxis axis, std::string bytes) {
    auto lock = lockState();
    controller(axis).replacedReplies.push_back(std::move(bytes));
}

int SimulatedProtoControllers::mode(WorldAxis axis) const {
    auto lock = lockState();
    return controller(axis).mode;
}

int SimulatedProtoControllers::direction(WorldAxis axis) const {
    auto lock = lockState();
    return controller(axis).direction;
}

std::int64_t SimulatedProtoControllers::counter(WorldAxis axis) const {
    auto lock = lockState();
    return counterValue(axis);
}

std::optional<std::int64_t> SimulatedProtoControllers::setting(WorldAxis axis, const std::string& name) const {
    auto lock = lockState();
    const auto& settings = controller(axis).settings;
    const auto found = settings.find(name);
    return found == settings.end() ? std::nullopt : std::optional(found->second);
}

int SimulatedProtoControllers::status(WorldAxis axis) const {
    auto lock = lockState();
    return statusValue(axis);
}

// ---- Decoding -------------------------------------------------------------------------

void SimulatedProtoControllers::decode(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> out;
    for (const std::uint8_t byte : bytes) {
        if (byte == frameStart) {
            frame_.clear();
            inFrame_ = true;
            continue;
        }
        if (!inFrame_) {
            continue;
        }
        if (byte == carriageReturn) {
            inFrame_ = false;
            if (!frame_.empty()) {
                handleFrame(static_cast<char>(frame_[0]), std::string(frame_.begin() + 1, frame_.end()), out);
            }
            continue;
        }
        frame_.push_back(byte);
        if (frame_.size() > longestFrame) {
            inFrame_ = false;
        }
    }
    if (!out.empty()) {
        reply(std::move(out));
    }
}

void SimulatedProtoControllers::handleFrame(char motor, const std::string& text, std::vector<std::uint8_t>& out) {
    const auto command = splitCommand(text);
    const auto answer = [&](const std::string& line) {
        out.insert(out.end(), line.begin(), line.end());
        out.push_back(carriageReturn);
    };
    if (motor == '*') {
        transcript_.push_back({motor, text});
        bool heard = false;
        for (const WorldAxis axis : worldAxes) {
            if (!controller(axis).silent) {
                heard = true;
                if (command) {
                    apply(axis, command->first, command->second);
                }
            }
        }
        // Three answers would collide: the broadcast gets one echo.
        if (heard) {
            answer(std::string(1, motor) + text);
        }
        return;
    }
    if (motor < '1' || motor > '3') {
        return;
    }
    transcript_.push_back({motor, text});
    const WorldAxis axis = worldAxes[motor - '1'];
    Controller& target = controller(axis);
    if (target.silent) {
        return;
    }
    const std::string value = command ? apply(axis, command->first, command->second) : std::string();
    if (!target.replacedReplies.empty()) {
        const std::string replaced = std::move(target.replacedReplies.front());
        target.replacedReplies.pop_front();
        out.insert(out.end(), replaced.begin(), replaced.end());
        return;
    }
    answer(std::string(1, motor) + text + value);
}

// ---- Controllers ----------------------------------------------------------------------------

std::string SimulatedProtoControllers::apply(WorldAxis axis, const std::string& name,
                                             std::optional<std::int64_t> value) {
    Controller& unit = controller(axis);
    if (!value) {
        if (name == "ZC") {
            return std::to_string(counterValue(axis));
        }
        if (name == "$") {
            return ": " + std::to_string(statusValue(axis));
        }
        if (name == ":is_referenced") {
            const AxisStatus state = world_->axis(axis);
            return state.homed && !state.homing ? "+1" : "+0";
        }
        if (name == "A") {
            start(axis);
        } else if (name == "S") {
            world_->haltAxis(axis);
        }
        return {};
    }
    unit.settings[name] = *value;
    if (name == "p") {
        unit.mode = static_cast<int>(*value);
    } else if (name == "d" && (*value == 0 || *value == 1)) {
        unit.direction = static_cast<int>(*value);
    } else if (name == "s") {
        unit.target = *value;
    } else if (name == "o" && *value > 0) {
        unit.velocity = velocityFor(axis, *value);
    } else if (name == "b" && *value > 0) {
        unit.acceleration = accelerationFor(axis, *value);
    } else if (name == "D") {
        world_->clearFault(axis);
        unit.refusedMove = false;
        unit.counterOffset = *value - std::llround(worldCounts(axis, world_->axis(axis).position));
    }
    return {};
}

void SimulatedProtoControllers::start(WorldAxis axis) {
    Controller& unit = controller(axis);
    InstrumentWorld::MoveResult result = InstrumentWorld::MoveResult::started;
    if (unit.mode == 2) {
        const double target = worldPosition(axis, static_cast<double>(unit.target - unit.counterOffset));
        result = world_->moveAxis({axis, target, unit.velocity, unit.acceleration});
    } else if (unit.mode == 3 || unit.mode == 4) {
        const bool up = towardsTravel(axis, unit.direction);
        const double here = world_->axis(axis).position;
        const double home = component(world_->homeSwitches(), axis);
        const bool switchAhead = std::abs(home - here) <= positionTolerance || (up ? home > here : home < here);
        result = unit.mode == 3 && switchAhead ? world_->homeAxis(axis, unit.velocity, unit.acceleration)
                                               : world_->runAxisToEnd(axis, up, unit.velocity, unit.acceleration);
    } else {
        return;
    }
    // A faulted axis shows its fault already; other refusals are a fault of
    // their own.
    unit.refusedMove = result == InstrumentWorld::MoveResult::invalid ||
                       result == InstrumentWorld::MoveResult::notHomed;
}

double SimulatedProtoControllers::worldCounts(WorldAxis axis, double position) const {
    switch (axis) {
    case WorldAxis::x:
        return position / micronsPerCountInXY;
    case WorldAxis::y:
        return -position / micronsPerCountInXY;
    case WorldAxis::z:
        return zTravelInCounts - position / micronsPerCountInZ;
    }
    return 0.0;
}

double SimulatedProtoControllers::worldPosition(WorldAxis axis, double counts) const {
    switch (axis) {
    case WorldAxis::x:
        return counts * micronsPerCountInXY;
    case WorldAxis::y:
        return -counts * micronsPerCountInXY;
    case WorldAxis::z:
        return (zTravelInCounts - counts) * micronsPerCountInZ;
    }
    return 0.0;
}

std::int64_t SimulatedProtoControllers::counterValue(WorldAxis axis) const {
    return std::llround(worldCounts(axis, world_->axis(axis).position)) + controller(axis).counterOffset;
}

int SimulatedProtoControllers::statusValue(WorldAxis axis) const {
    const AxisStatus state = world_->axis(axis);
    const Controller& unit = controller(axis);
    if (state.moving) {
        return unit.mode == 2 ? statusMovingToTarget : statusReferenceRun;
    }
    if (state.faulted) {
        const double travel = component(world_->travel(), axis);
        const double bottom = component(world_->travelFrom(), axis);
        const bool atEnd =
            state.position <= bottom + positionTolerance || state.position >= travel - positionTolerance;
        return atEnd ? statusLimit : statusObstruction;
    }
    return unit.refusedMove ? statusRefused : statusStanding;
}

} // namespace Simulators
