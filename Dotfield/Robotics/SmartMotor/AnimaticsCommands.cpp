#include "Dotfield/Robotics/SmartMotor/AnimaticsCommands.hpp"

#include <array>
#include <cmath>
#include <limits>

#include "Dotfield/Instrument/SerialLink/SerialCommunication.hpp"
#include "Dotfield/Instrument/SerialLink/AsciiBytes.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

constexpr std::array<std::uint8_t, 4> addressBytes{0x81, 0x82, 0x83, 0x80};
constexpr std::uint8_t space = 0x20;
constexpr std::uint8_t carriageReturn = 0x0D;

} // namespace

std::uint8_t animaticsAddressByte(MotorPosition motor) {
    return addressBytes.at(static_cast<std::size_t>(motor));
}

std::vector<std::uint8_t> animaticsCommandBytes(std::string_view command, MotorPosition motor) {
    std::vector<std::uint8_t> frame{animaticsAddressByte(motor)};
    const std::vector<std::uint8_t> text = asciiBytes(command);
    frame.insert(frame.end(), text.begin(), text.end());
    frame.push_back(space);
    return frame;
}

std::vector<std::uint8_t> animaticsCommandWithCarriageReturn(std::span<const std::uint8_t> data,
                                                             MotorPosition axis, std::uint8_t prefix) {
    std::vector<std::uint8_t> frame{animaticsAddressByte(axis), prefix};
    frame.insert(frame.end(), data.begin(), data.end());
    frame.push_back(carriageReturn);
    return frame;
}

std::vector<std::uint8_t> animaticsPositionFrame(std::span<const std::uint8_t> data, MotorPosition motor) {
    return animaticsCommandWithCarriageReturn(data, motor, animaticsPositionKind);
}

std::vector<std::uint8_t> animaticsTimeFrame(std::span<const std::uint8_t> data, MotorPosition motor) {
    return animaticsCommandWithCarriageReturn(data, motor, animaticsTimeKind);
}

void exchangeAnimaticsFrame(const std::vector<std::uint8_t>& frame, SerialPort& serialPort) {
    writeBytesWithRetry(frame, serialPort);
}

RoboticsError convertedAnimaticsError(const CommunicationsError& error) {
    // Not one byte back, not even the echo: nothing answers on the line.
    if (error.kind() == CommunicationsError::Kind::wrongByteCount && error.receivedByteCount() == 0) {
        return Diagnostics::logAndReturnError(RoboticsError::notConnected({MotorPosition::allMotors}));
    }
    return Diagnostics::logAndReturnError(RoboticsError(error));
}

void activateStoredProgramOnAnimaticsMotor(MotorPosition motor, SerialPort& serialPort) {
    try {
        exchangeAnimaticsFrame(animaticsCommandBytes("RUN", motor), serialPort);
    } catch (const CommunicationsError& error) {
        throw convertedAnimaticsError(error);
    }
}

void sendAnimaticsCommand(std::span<const std::uint8_t> data, bool x, bool y, bool z, SerialPort& serialPort) {
    if (x && y && z) {
        exchangeAnimaticsFrame(animaticsTimeFrame(data, MotorPosition::allMotors), serialPort);
        return;
    }
    const std::array<std::pair<bool, MotorPosition>, 3> chosen{
        {{x, MotorPosition::xMotor}, {y, MotorPosition::yMotor}, {z, MotorPosition::zMotor}}};
    for (const auto& [selected, motor] : chosen) {
        if (selected) {
            exchangeAnimaticsFrame(animaticsTimeFrame(data, motor), serialPort);
        }
    }
}

std::int32_t animaticsInteger(double value) {
    const double rounded = std::round(value);
    if (!std::isfinite(rounded) || rounded < std::numeric_limits<std::int32_t>::min() ||
        rounded > std::numeric_limits<std::int32_t>::max()) {
        throw Diagnostics::logAndReturnError(RoboticsError(RoboticsError::Kind::abortedDuringMove));
    }
    return static_cast<std::int32_t>(rounded);
}

std::int64_t minimumOfOptionals(std::optional<std::int64_t> a, std::optional<std::int64_t> b,
                                std::optional<std::int64_t> c) {
    std::optional<std::int64_t> smallest;
    for (const auto& value : {a, b, c}) {
        if (value && (!smallest || *value < *smallest)) {
            smallest = value;
        }
    }
    return smallest.value_or(0);
}

} // namespace Dotfield
