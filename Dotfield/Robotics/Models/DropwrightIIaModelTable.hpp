#pragma once
// What differs between the two SmartMotor positioners: the older motors of
// the DropwrightIIa and the newer ones of the DropwrightIIb. The shared code
// picks the row by the robot's exact model.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

struct SmartMotorModelRow {
    // Motor counts of travel per axis, and microns per count.
    VeltranePatterns::Coordinate rangeOfMotion;
    double motorScaleFactor;
    double defaultSafePickupHeight;
    double platePitch;
    // Target position ("=" and the count follow) and position report commands.
    std::string_view targetCommand;
    std::string_view positionReportCommand;
    // Bits of the status word "RW" reports.
    std::uint32_t movingBit;
    std::uint32_t errorBit;
    // Reply bytes that follow the echo of "Q".
    std::size_t bufferReplyLength;
    // Speed commands: count = max(round(value × factor), minimum).
    std::string_view velocityCommand;
    double velocityFactor;
    std::int64_t minimumVelocity;
    std::string_view accelerationCommand;
    double accelerationFactor;
    std::int64_t minimumAcceleration;
    // Seconds per motor sample, the unit of contour times.
    double samplePeriod;
    bool newMotors;
};

inline constexpr SmartMotorModelRow dropwrightIIaRow{
    .rangeOfMotion = {62200.0, 60800.0, 20800.0},
    .motorScaleFactor = 5.0,
    .defaultSafePickupHeight = 30000.0,
    .platePitch = 138460.0,
    .targetCommand = "P",
    .positionReportCommand = "RP",
    .movingBit = 0x1,
    .errorBit = 0x4000,
    .bufferReplyLength = 5,
    .velocityCommand = "V=",
    .velocityFactor = 3.2212,
    .minimumVelocity = 100,
    .accelerationCommand = "A=",
    .accelerationFactor = 0.000791,
    .minimumAcceleration = 10,
    .samplePeriod = 0.00024576,
    .newMotors = false,
};

inline constexpr SmartMotorModelRow dropwrightIIbRow{
    .rangeOfMotion = {143000.0, 123000.0, 43700.0},
    .motorScaleFactor = 2.5,
    .defaultSafePickupHeight = 20000.0,
    .platePitch = 160060.0,
    .targetCommand = "PT",
    .positionReportCommand = "RPA",
    .movingBit = 0x4,
    .errorBit = 0x10,
    .bufferReplyLength = 6,
    .velocityCommand = "VT=",
    .velocityFactor = 3.2768,
    .minimumVelocity = 100,
    .accelerationCommand = "AT=",
    .accelerationFactor = 0.0004096,
    .minimumAcceleration = 10,
    .samplePeriod = 0.00012288,
    .newMotors = true,
};

} // namespace Dotfield
