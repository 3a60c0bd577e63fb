#include "Dotfield/Robotics/Models/DropwrightIIa.hpp"

#include <charconv>
#include <cmath>
#include <limits>
#include <typeinfo>

#include "Dotfield/Instrument/SerialLink/SerialCommunication.hpp"
#include "Dotfield/Instrument/SerialLink/AsciiBytes.hpp"
#include "Dotfield/Robotics/SmartMotor/AnimaticsCommands.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

constexpr std::uint8_t carriageReturn = 0x0D;

// The six gains of the motors' PID filters: name, caption, the operator's key
// (one dictionary), the factory key and the built-in values.
const TuningValues::Keys tuningKeys{{
    {"proportionalGain", "Proportional gain:", "userDefinedProportionalGain", false, "proportionalGain",
     {16000, 15000, 14000}},
    {"integralGain", "Integral gain:", "userDefinedIntegralGain", false, "integralGain", {2000, 2000, 5000}},
    {"derivativeGain", "Derivative gain:", "userDefinedDerivativeGain", false, "derivativeGain",
     {15000, 15000, 17000}},
    {"integralLimit", "Integral limit:", "userDefinedIntegralLimit", false, "integralLimit", {5000, 8000, 10000}},
    {"velocityFeedforward", "Velocity feed-forward:", "userDefinedVelocityFeedforward", false,
     "velocityFeedforward", {30000, 35000, 40000}},
    {"accelerationFeedforward", "Acceleration feed-forward:", "userDefinedAccelerationFeedforward", false,
     "accelerationFeedforward", {0, 0, 0}},
}};

// The reply's leading integer (spaces, an optional sign, digits), as the
// motors write it; nothing when it has no digits or does not fit 32 bits.
std::optional<std::int64_t> leadingInteger(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
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

} // namespace

DropwrightIIa::DropwrightIIa(ConstructionKey key, std::shared_ptr<UserDefaults> userDefaults,
                             std::shared_ptr<Clock> clock, std::shared_ptr<Sleeper> sleeper)
    : Robot(key, userDefaults, std::move(clock)), sleeper_(std::move(sleeper)),
      tuningValues_(tuningKeys, *userDefaults) {}

// ---- Model constants ---------------------------------------------------------------

const SmartMotorModelRow& DropwrightIIa::modelRow() const {
    return typeid(*this) == typeid(DropwrightIIa) ? dropwrightIIaRow : dropwrightIIbRow;
}

double DropwrightIIa::defaultSafePickupHeight() const {
    return modelRow().defaultSafePickupHeight;
}

Robot::Coordinate DropwrightIIa::rangeOfMotion() const {
    return modelRow().rangeOfMotion;
}

Robot::Coordinate DropwrightIIa::maximumMotorPosition() const {
    const SmartMotorModelRow& row = modelRow();
    return row.rangeOfMotion * row.motorScaleFactor;
}

double DropwrightIIa::motorScaleFactor() const {
    return modelRow().motorScaleFactor;
}

Robot::Coordinate DropwrightIIa::offsetForA1WellOfPlateNumber(std::uint64_t plateNumber) {
    return {0.0, static_cast<double>(plateNumber) * modelRow().platePitch, 0.0};
}

// ---- Conversions ------------------------------------------------------------------------

double DropwrightIIa::convertPositionToMotorCoordinateSpaceInX(double position) {
    return (position + offsetFromHomePositionToLimit().x) / motorScaleFactor();
}

double DropwrightIIa::convertPositionToMotorCoordinateSpaceInY(double position) {
    return -((position + offsetFromHomePositionToLimit().y) / motorScaleFactor());
}

double DropwrightIIa::convertPositionToMotorCoordinateSpaceInZ(double position) {
    return rangeOfMotion().z - (position + offsetFromHomePositionToLimit().z) / motorScaleFactor();
}

// ---- Exchanges ------------------------------------------------------------------------------

SerialPort& DropwrightIIa::link() const {
    const std::shared_ptr<SerialPort> port = serialPort();
    if (!port || port->isClosed()) {
        throw Diagnostics::logAndReturnError(RoboticsError::notConnected({MotorPosition::allMotors}));
    }
    return *port;
}

void DropwrightIIa::send(std::string_view command, MotorPosition motor) {
    SerialPort& port = link();
    try {
        exchangeAnimaticsFrame(animaticsCommandBytes(command, motor), port);
    } catch (const CommunicationsError& error) {
        throw convertedAnimaticsError(error);
    }
}

void DropwrightIIa::sendValue(std::string_view command, std::int64_t value, MotorPosition motor) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    std::string text(command);
    text.append(digits, result.ptr);
    send(text, motor);
}

std::string DropwrightIIa::queryText(std::string_view command, MotorPosition motor) {
    SerialPort& port = link();
    const std::vector<std::uint8_t> frame = animaticsCommandBytes(command, motor);
    const auto attempt = [&] {
        exchangeAnimaticsFrame(frame, port);
        const std::vector<std::uint8_t> reply = sanitizedResponseBytes(readBytesUntilTerminator(carriageReturn, port));
        return std::string(reply.begin(), reply.end());
    };
    try {
        return attempt();
    } catch (const CommunicationsError&) {
        return attempt();
    }
}

std::int64_t DropwrightIIa::queryInteger(std::string_view command, MotorPosition motor) {
    return queryInteger(link(), command, motor);
}

std::int64_t DropwrightIIa::queryInteger(SerialPort& port, std::string_view command, MotorPosition motor) {
    const std::vector<std::uint8_t> frame = animaticsCommandBytes(command, motor);
    const auto attempt = [&] {
        exchangeAnimaticsFrame(frame, port);
        const std::vector<std::uint8_t> raw = readBytesUntilTerminator(carriageReturn, port);
        const std::vector<std::uint8_t> reply = sanitizedResponseBytes(raw);
        const std::optional<std::int64_t> value = leadingInteger(std::string(reply.begin(), reply.end()));
        if (!value) {
            // A garbled reply must not read as 0 (a stopped axis, a position).
            throw CommunicationsError::corruptedResponse(asciiBytes("0"), raw);
        }
        return *value;
    };
    try {
        return attempt();
    } catch (const CommunicationsError&) {
        return attempt();
    }
}

std::vector<std::uint8_t> DropwrightIIa::queryBytes(std::string_view command, MotorPosition motor,
                                                    std::size_t byteCount) {
    SerialPort& port = link();
    const std::vector<std::uint8_t> frame = animaticsCommandBytes(command, motor);
    const auto attempt = [&] {
        exchangeAnimaticsFrame(frame, port);
        return genericSerialCommunication(std::nullopt, byteCount, port, AD_Read);
    };
    try {
        return attempt();
    } catch (const CommunicationsError&) {
        return attempt();
    }
}

void DropwrightIIa::pause(double seconds) {
    sleeper_->sleep(std::chrono::duration_cast<Clock::Duration>(std::chrono::duration<double>(seconds)));
}

std::vector<std::uint8_t> DropwrightIIa::bytesForInt32(std::int32_t value) const {
    const auto bits = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(bits >> 24), static_cast<std::uint8_t>(bits >> 16),
            static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits)};
}

} // namespace Dotfield
