#include "Dotfield/Robotics/Proto/ProtoCommands.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "Dotfield/Instrument/SerialLink/SerialCommunication.hpp"
#include "Dotfield/Instrument/SerialLink/AsciiBytes.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield::Proto {

namespace {

// Characters of the echo in front of a value.
constexpr std::size_t positionEchoLength = 3; // "1ZC"
constexpr std::size_t statusEchoLength = 4;   // "1$: "

// 2^63: the first double beyond the signed 64-bit range.
constexpr double int64Limit = 9223372036854775808.0;

constexpr double rampNumerator = 3000.0;
constexpr double rampCountOffset = 11.7;
constexpr double slowestRampValue = 200.0;

CommunicationsError tooShort(std::size_t shortest, const std::string& reply) {
    return CommunicationsError::wrongByteCount(shortest, reply.size());
}

CommunicationsError unreadable(const std::string& reply) {
    return CommunicationsError::corruptedResponse({}, asciiBytes(reply));
}

// The leading integer of the text (an optional sign, then digits), when it
// has one that fits 32 bits.
std::optional<std::int32_t> leadingInteger(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc()) {
        return std::nullopt;
    }
    return value;
}

// Length of the UTF-8 sequence a lead byte starts, 0 for a byte that cannot
// start one.
std::size_t sequenceLength(std::uint8_t lead) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

bool isWellFormedUTF8(std::span<const std::uint8_t> bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::uint8_t lead = bytes[i];
        const std::size_t length = sequenceLength(lead);
        if (length == 0 || i + length > bytes.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80) {
                return false;
            }
        }
        if (length > 1) {
            const std::uint8_t second = bytes[i + 1];
            // Overlong forms, surrogates and code points past U+10FFFF.
            if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
                (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

RoboticsError refusedValue() {
    return Diagnostics::logAndReturnError(RoboticsError(RoboticsError::Kind::abortedDuringMove));
}

} // namespace

// ---- Status values ------------------------------------------------------------------------

bool statusMeansMoving(std::int32_t status) {
    return status == statusMovingToTarget || status == statusRunning;
}

bool statusIsFault(std::int32_t status) {
    return status >= statusLimitSwitch && status <= statusFaultLast;
}

bool statusEndsReferenceRun(std::int32_t status) {
    return status >= statusLimitSwitch;
}

// ---- Framing and exchanges ----------------------------------------------------------------

char motorCharacter(MotorPosition motor) {
    switch (motor) {
    case MotorPosition::xMotor:
        return '1';
    case MotorPosition::yMotor:
        return '2';
    case MotorPosition::zMotor:
        return '3';
    case MotorPosition::allMotors:
        return '*';
    }
    return '*';
}

std::vector<std::uint8_t> commandBytes(std::string_view command, MotorPosition motor) {
    std::vector<std::uint8_t> frame{frameStart, static_cast<std::uint8_t>(motorCharacter(motor))};
    const std::vector<std::uint8_t> text = asciiBytes(command);
    frame.insert(frame.end(), text.begin(), text.end());
    frame.push_back(carriageReturn);
    return frame;
}

namespace {

void writeFrame(std::string_view command, MotorPosition motor, SerialPort& serialPort) {
    const std::vector<std::uint8_t> frame = commandBytes(command, motor);
    genericSerialCommunication(frame, frame.size(), serialPort, AD_Write);
}

} // namespace

void sendCommand(std::string_view command, MotorPosition motor, SerialPort& serialPort) {
    writeFrame(command, motor, serialPort);
    readBytesUntilTerminator(carriageReturn, serialPort);
}

std::string commandResponse(std::string_view command, MotorPosition motor, std::size_t byteCount,
                            bool readsUntilCarriageReturn, SerialPort& serialPort) {
    writeFrame(command, motor, serialPort);
    if (readsUntilCarriageReturn) {
        return decodedText(sanitizedResponseBytes(readBytesUntilTerminator(carriageReturn, serialPort)));
    }
    return decodedText(genericSerialCommunication(std::nullopt, byteCount, serialPort, AD_Read));
}

std::string decodedText(std::span<const std::uint8_t> bytes) {
    if (!isWellFormedUTF8(bytes)) {
        return {};
    }
    return std::string(bytes.begin(), bytes.end());
}

// ---- Reply parsers ------------------------------------------------------------------------

double parsePositionReply(const std::string& reply) {
    if (reply.size() <= positionEchoLength) {
        throw tooShort(positionEchoLength + 1, reply);
    }
    const std::string_view rest = std::string_view(reply).substr(positionEchoLength);
    double value = 0.0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (error != std::errc() || end != rest.data() + rest.size() || !std::isfinite(value)) {
        throw unreadable(reply);
    }
    return value;
}

std::int32_t parseClearingPositionReply(const std::string& reply) {
    if (reply.size() <= positionEchoLength) {
        throw tooShort(positionEchoLength + 1, reply);
    }
    const std::optional<std::int32_t> value = leadingInteger(std::string_view(reply).substr(positionEchoLength));
    if (!value) {
        throw unreadable(reply);
    }
    return *value;
}

std::int32_t parseStatusReply(const std::string& reply) {
    if (reply.size() <= statusEchoLength) {
        throw tooShort(statusEchoLength + 1, reply);
    }
    const std::optional<std::int32_t> value = leadingInteger(std::string_view(reply).substr(statusEchoLength));
    if (!value) {
        throw unreadable(reply);
    }
    return *value;
}

bool isReferencedReply(const std::string& reply, MotorPosition motor) {
    return reply == std::string(1, motorCharacter(motor)) + ":is_referenced+1";
}

// ---- Values -----------------------------------------------------------------------------------

std::int64_t nearestInteger(double value) {
    const double rounded = std::round(value);
    if (!std::isfinite(rounded) || rounded < -int64Limit || rounded >= int64Limit) {
        throw refusedValue();
    }
    return static_cast<std::int64_t>(rounded);
}

double micronsPerCountForRate(MotorPosition motor) {
    return motor == MotorPosition::zMotor ? micronsPerCountInZ : micronsPerCountInX;
}

std::string commandWithValue(std::string_view command, std::int64_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    std::string text(command);
    text.append(digits, result.ptr);
    return text;
}

namespace {

std::int64_t velocityCounts(double micronsPerSecond, MotorPosition motor) {
    return nearestInteger(micronsPerSecond / micronsPerCountForRate(motor));
}

std::int64_t rampValue(double micronsPerSecondSquared, MotorPosition motor) {
    // An acceleration of −11.7 counts/s² divides by zero; that infinity is
    // refused like an acceleration that is not a finite number (an infinite
    // one would otherwise pass as the steepest ramp).
    const double ramp = rampNumerator / (micronsPerSecondSquared / micronsPerCountForRate(motor) + rampCountOffset);
    const double squared = ramp * ramp;
    if (!std::isfinite(micronsPerSecondSquared) || !std::isfinite(squared)) {
        throw refusedValue();
    }
    return nearestInteger(std::max(squared, slowestRampValue));
}

} // namespace

std::string velocityCommand(double micronsPerSecond, MotorPosition motor) {
    return commandWithValue("o", velocityCounts(micronsPerSecond, motor));
}

std::string accelerationCommand(double micronsPerSecondSquared, MotorPosition motor) {
    return commandWithValue("b", rampValue(micronsPerSecondSquared, motor));
}

double attainedVelocity(double micronsPerSecond, MotorPosition motor) {
    return static_cast<double>(velocityCounts(micronsPerSecond, motor)) * micronsPerCountForRate(motor);
}

double attainedAcceleration(double micronsPerSecondSquared, MotorPosition motor) {
    const auto ramp = static_cast<double>(rampValue(micronsPerSecondSquared, motor));
    return (rampNumerator / std::sqrt(ramp) - rampCountOffset) * micronsPerCountForRate(motor);
}

// ---- Errors -----------------------------------------------------------------------------------

RoboticsError convertedError(const CommunicationsError& error) {
    return Diagnostics::logAndReturnError(RoboticsError(error));
}

} // namespace Dotfield::Proto
