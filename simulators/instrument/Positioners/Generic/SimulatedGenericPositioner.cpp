#include "simulators/instrument/Positioners/Generic/SimulatedGenericPositioner.hpp"

#include <charconv>
#include <cmath>
#include <optional>
#include <utility>

namespace Simulators {

namespace {

constexpr char carriageReturn = '\r';
constexpr char lineFeed = '\n';

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> result;
    std::size_t start = 0;
    while (true) {
        const std::size_t space = line.find(' ', start);
        result.push_back(line.substr(start, space == std::string_view::npos ? line.npos : space - start));
        if (space == std::string_view::npos) {
            return result;
        }
        start = space + 1;
    }
}

std::optional<WorldAxis> axisNamed(std::string_view name) {
    if (name == "X") {
        return WorldAxis::x;
    }
    if (name == "Y") {
        return WorldAxis::y;
    }
    if (name == "Z") {
        return WorldAxis::z;
    }
    return std::nullopt;
}

std::optional<double> number(std::string_view text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || next != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string text(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string moveAnswer(InstrumentWorld::MoveResult result) {
    switch (result) {
    case InstrumentWorld::MoveResult::started:
        return "OK";
    case InstrumentWorld::MoveResult::invalid:
        return "E RANGE";
    case InstrumentWorld::MoveResult::faulted:
        return "E FAULT";
    case InstrumentWorld::MoveResult::notHomed:
        return "E HOME";
    }
    return "E SYNTAX";
}

} // namespace

SimulatedGenericPositioner::SimulatedGenericPositioner(std::shared_ptr<InstrumentWorld> world)
    : SimulatedPeer(SerialLineSettings{.baudRate = baudRate}), world_(std::move(world)) {}

std::vector<SimulatedGenericPositioner::ReceivedCommand> SimulatedGenericPositioner::commands() const {
    auto lock = lockState();
    return commands_;
}

void SimulatedGenericPositioner::clearCommands() {
    auto lock = lockState();
    commands_.clear();
}

void SimulatedGenericPositioner::decode(std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        const char c = static_cast<char>(byte);
        if (c == lineFeed) {
            continue;
        }
        if (c != carriageReturn) {
            if (discardingLongLine_) {
                continue;
            }
            if (pending_.size() == longestLine) {
                // A line this long is no command: refused once, and the rest
                // of it up to its carriage return is dropped.
                pending_.clear();
                discardingLongLine_ = true;
                reply({'E', ' ', 'S', 'Y', 'N', 'T', 'A', 'X', carriageReturn});
                continue;
            }
            pending_.push_back(c);
            continue;
        }
        if (std::exchange(discardingLongLine_, false)) {
            continue;
        }
        const std::string line = std::exchange(pending_, {});
        commands_.push_back({world_->now(), line});
        std::string response = answer(line);
        response.push_back(carriageReturn);
        reply(std::vector<std::uint8_t>(response.begin(), response.end()));
    }
}

std::string SimulatedGenericPositioner::answer(std::string_view line) {
    const auto f = fields(line);
    const std::string_view command = f.front();

    if (f.size() == 1) {
        if (command == "P") {
            const WorldPoint tip = world_->tipPosition();
            return "P " + text(tip.x) + " " + text(tip.y) + " " + text(tip.z);
        }
        if (command == "S") {
            std::string state = "S ";
            for (const WorldAxis axis : {WorldAxis::x, WorldAxis::y, WorldAxis::z}) {
                const AxisStatus status = world_->axis(axis);
                state.push_back(status.faulted ? 'E' : status.moving ? 'M' : 'R');
            }
            return state;
        }
        if (command == "H") {
            world_->halt();
            return "OK";
        }
        if (command == "HOME") {
            return moveAnswer(world_->home());
        }
        if (command == "N") {
            return world_->needsHoming() ? "N 1" : "N 0";
        }
        return "E SYNTAX";
    }

    if (f.size() == 2 && command == "C") {
        const auto axis = axisNamed(f[1]);
        if (!axis) {
            return "E SYNTAX";
        }
        world_->clearFault(*axis);
        return "OK";
    }

    if (f.size() == 3 && command == "MXY") {
        const auto x = number(f[1]);
        const auto y = number(f[2]);
        if (!x || !y) {
            return "E SYNTAX";
        }
        return moveAnswer(world_->moveAxes({{WorldAxis::x, *x, velocities_[0], accelerations_[0]},
                                            {WorldAxis::y, *y, velocities_[1], accelerations_[1]}}));
    }

    if (f.size() == 3 && (command == "V" || command == "A" || command == "M")) {
        const auto axis = axisNamed(f[1]);
        const auto value = number(f[2]);
        if (!axis || !value) {
            return "E SYNTAX";
        }
        const auto i = static_cast<std::size_t>(*axis);
        if (command == "M") {
            return moveAnswer(world_->moveAxis({*axis, *value, velocities_[i], accelerations_[i]}));
        }
        if (*value <= 0.0) {
            return "E RANGE";
        }
        (command == "V" ? velocities_ : accelerations_)[i] = *value;
        return "OK";
    }
    return "E SYNTAX";
}

} // namespace Simulators
