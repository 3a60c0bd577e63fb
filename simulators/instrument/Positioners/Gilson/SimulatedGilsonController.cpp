#include "simulators/instrument/Positioners/Gilson/SimulatedGilsonController.hpp"

#include <charconv>
#include <cmath>
#include <string_view>
#include <utility>

namespace Simulators {

namespace {

constexpr std::uint8_t deselectByte = 0xFF;
constexpr std::uint8_t selectBase = 0x80;
constexpr std::uint8_t lineFeed = 0x0A;
constexpr std::uint8_t carriageReturn = 0x0D;
constexpr std::uint8_t acknowledge = 0x06;
constexpr std::uint8_t lastByteFlag = 0x80;
// Longer command text is no command of this controller: the rest is echoed
// but not kept.
constexpr std::size_t longestCommand = 64;

constexpr WorldAxis worldAxes[] = {WorldAxis::x, WorldAxis::y, WorldAxis::z};

// A whole decimal number, or nothing.
std::optional<double> number(std::string_view text) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// "<a>:<b>" as two numbers.
std::optional<std::pair<double, double>> targetAndSpeed(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const auto target = number(text.substr(0, colon));
    const auto speed = number(text.substr(colon + 1));
    if (!target || !speed) {
        return std::nullopt;
    }
    return std::pair{*target, *speed};
}

// Three decimals, whatever the process locale.
std::string millimetres(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
    return std::string(buffer, result.ptr);
}

} // namespace

SimulatedGilsonController::SimulatedGilsonController(std::shared_ptr<InstrumentWorld> world)
    : SimulatedPeer(SerialLineSettings{.baudRate = baudRate, .parity = Parity::even}), world_(std::move(world)) {}

std::vector<std::string> SimulatedGilsonController::transcript() const {
    auto lock = lockState();
    return transcript_;
}

void SimulatedGilsonController::clearTranscript() {
    auto lock = lockState();
    transcript_.clear();
}

bool SimulatedGilsonController::isSelected() const {
    auto lock = lockState();
    return selected_;
}

void SimulatedGilsonController::answerSelectionsWithZero(int count) {
    auto lock = lockState();
    zeroSelections_ = count;
}

void SimulatedGilsonController::holdBufferBusy(bool busy) {
    auto lock = lockState();
    bufferHeldBusy_ = busy;
}

void SimulatedGilsonController::answerImmediateCommandsBusy(int count) {
    auto lock = lockState();
    busyImmediates_ = count;
}

void SimulatedGilsonController::scriptImmediateReply(std::vector<std::uint8_t> bytes) {
    auto lock = lockState();
    scriptedReplies_.push_back(std::move(bytes));
}

void SimulatedGilsonController::scriptImmediateReply(const std::string& text) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    if (!bytes.empty()) {
        bytes.back() |= lastByteFlag;
    }
    scriptImmediateReply(std::move(bytes));
}

std::optional<std::int64_t> SimulatedGilsonController::setting(int number) const {
    auto lock = lockState();
    const auto found = settings_.find(number);
    return found == settings_.end() ? std::nullopt : std::optional(found->second);
}

// ---- Decoding ---------------------------------------------------------------------------

void SimulatedGilsonController::decode(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> out;
    for (const std::uint8_t byte : bytes) {
        takeByte(byte, out);
    }
    if (!out.empty()) {
        reply(std::move(out));
    }
}

void SimulatedGilsonController::takeByte(std::uint8_t byte, std::vector<std::uint8_t>& out) {
    if (byte >= selectBase) {
        // Selection traffic reaches every device on the line, whatever it was doing.
        inBufferedCommand_ = false;
        line_.clear();
        replyRemainder_.clear();
        if (byte == deselectByte) {
            selected_ = false;
            transcript_.push_back("deselect");
            if (confused_) {
                out.push_back(0);
            }
            return;
        }
        const int unit = byte - selectBase;
        if (unit != unitID) {
            selected_ = false;
            transcript_.push_back("select " + std::to_string(unit));
            return;
        }
        if (zeroSelections_ > 0) {
            --zeroSelections_;
            confused_ = true;
            selected_ = false;
            transcript_.push_back("select 20 answered 0");
            out.push_back(0);
            return;
        }
        confused_ = false;
        selected_ = true;
        transcript_.push_back("select 20");
        out.push_back(byte);
        return;
    }
    if (!selected_) {
        return;
    }
    if (byte == lineFeed) {
        inBufferedCommand_ = true;
        line_.clear();
        replyRemainder_.clear();
        transcript_.push_back("buffer check");
        out.push_back(bufferHeldBusy_ ? bufferBusy : bufferCleared);
        return;
    }
    if (inBufferedCommand_) {
        out.push_back(byte);
        if (byte == carriageReturn) {
            inBufferedCommand_ = false;
            transcript_.push_back("buffered " + line_);
            runBufferedCommand(line_);
            line_.clear();
        } else if (line_.size() < longestCommand) {
            line_.push_back(static_cast<char>(byte));
        }
        return;
    }
    if (byte == acknowledge) {
        if (!replyRemainder_.empty()) {
            out.push_back(replyRemainder_.front());
            replyRemainder_.pop_front();
        }
        return;
    }
    startImmediateReply(byte, out);
}

void SimulatedGilsonController::startImmediateReply(std::uint8_t command, std::vector<std::uint8_t>& out) {
    replyRemainder_.clear();
    const std::string letter(1, static_cast<char>(command));
    if (busyImmediates_ > 0) {
        --busyImmediates_;
        transcript_.push_back("busy " + letter);
        out.push_back(busyReply);
        return;
    }
    transcript_.push_back("immediate " + letter);
    std::vector<std::uint8_t> bytes;
    if (!scriptedReplies_.empty()) {
        bytes = std::move(scriptedReplies_.front());
        scriptedReplies_.pop_front();
    } else {
        const std::string text = immediateReply(static_cast<char>(command));
        bytes.assign(text.begin(), text.end());
        if (!bytes.empty()) {
            bytes.back() |= lastByteFlag;
        }
    }
    if (bytes.empty()) {
        return;
    }
    out.push_back(bytes.front());
    replyRemainder_.assign(bytes.begin() + 1, bytes.end());
}

std::string SimulatedGilsonController::immediateReply(char command) const {
    switch (command) {
    case 'X':
        return millimetres(world_->axis(WorldAxis::x).position / 1000.0) + "/" +
               millimetres(world_->axis(WorldAxis::y).position / 1000.0);
    case 'Z': {
        const double zBase = zAtHomeSwitch * 1000.0 - world_->homeSwitches().z;
        return millimetres((world_->axis(WorldAxis::z).position + zBase) / 1000.0);
    }
    case 'M':
        return {axisState(WorldAxis::x), axisState(WorldAxis::y), axisState(WorldAxis::z)};
    default:
        return {};
    }
}

char SimulatedGilsonController::axisState(WorldAxis axis) const {
    const AxisStatus status = world_->axis(axis);
    if (status.faulted) {
        return 'E';
    }
    if (status.moving) {
        return 'R';
    }
    return status.homed ? 'P' : 'U';
}

// ---- Buffered commands -------------------------------------------------------------------

void SimulatedGilsonController::runBufferedCommand(const std::string& text) {
    if (text == "H") {
        world_->home();
    } else if (text == "e") {
        for (const WorldAxis axis : worldAxes) {
            world_->clearFault(axis);
        }
    } else if (text.starts_with("X")) {
        moveXY(text);
    } else if (text.starts_with("Z")) {
        moveZ(text);
    } else if (text.starts_with("@")) {
        recordSetting(text);
    }
}

bool SimulatedGilsonController::moveXY(const std::string& text) {
    const std::string_view body = std::string_view(text).substr(1);
    const std::size_t slash = body.find('/');
    if (slash == std::string_view::npos) {
        return false;
    }
    const auto x = targetAndSpeed(body.substr(0, slash));
    const auto y = targetAndSpeed(body.substr(slash + 1));
    if (!x || !y) {
        return false;
    }
    // Refusals (a faulted or unhomed axis, a speed of 0) show in the axis states.
    return world_->moveAxes({{WorldAxis::x, x->first * 1000.0, x->second * 1000.0, acceleration(WorldAxis::x)},
                             {WorldAxis::y, y->first * 1000.0, y->second * 1000.0, acceleration(WorldAxis::y)}}) ==
           InstrumentWorld::MoveResult::started;
}

bool SimulatedGilsonController::moveZ(const std::string& text) {
    const auto z = targetAndSpeed(std::string_view(text).substr(1));
    if (!z) {
        return false;
    }
    const double zBase = zAtHomeSwitch * 1000.0 - world_->homeSwitches().z;
    return world_->moveAxis({WorldAxis::z, z->first * 1000.0 - zBase, z->second * 1000.0,
                             acceleration(WorldAxis::z)}) == InstrumentWorld::MoveResult::started;
}

void SimulatedGilsonController::recordSetting(const std::string& text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) {
        return;
    }
    int setting = 0;
    std::int64_t value = 0;
    const std::string_view name = std::string_view(text).substr(1, equals - 1);
    const std::string_view digits = std::string_view(text).substr(equals + 1);
    const auto nameResult = std::from_chars(name.data(), name.data() + name.size(), setting);
    const auto valueResult = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (name.empty() || digits.empty() || nameResult.ec != std::errc() || valueResult.ec != std::errc() ||
        nameResult.ptr != name.data() + name.size() || valueResult.ptr != digits.data() + digits.size()) {
        return;
    }
    settings_[setting] = value;
}

double SimulatedGilsonController::acceleration(WorldAxis axis) const {
    // @13, @14, @15: three times the acceleration in µm/s².
    const auto found = settings_.find(13 + static_cast<int>(axis));
    if (found == settings_.end() || found->second <= 0) {
        return defaultAcceleration;
    }
    return static_cast<double>(found->second) / 3.0;
}

} // namespace Simulators
