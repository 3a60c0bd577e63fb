#pragma once
// The frames the SmartMotor servo motors of the generation-II positioners
// take, and the exchange every frame is sent with. The three motors share one
// serial link; an address byte in front of every frame picks the motor, or
// all three at once. Motors echo every byte they receive.
//
//   text command: address, the command text, one space (0x20)
//   data item:    address, kind (0xFA position, 0xFB time), 4 data bytes, 0x0D

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Instrument/Axes/MotorPosition.hpp"

namespace Dotfield {

inline constexpr std::uint8_t animaticsPositionKind = 0xFA;
inline constexpr std::uint8_t animaticsTimeKind = 0xFB;

// 0x81, 0x82, 0x83 for X, Y, Z; 0x80 for all three.
std::uint8_t animaticsAddressByte(MotorPosition motor);

std::vector<std::uint8_t> animaticsCommandBytes(std::string_view command, MotorPosition motor);

std::vector<std::uint8_t> animaticsCommandWithCarriageReturn(std::span<const std::uint8_t> data,
                                                             MotorPosition axis, std::uint8_t prefix);
std::vector<std::uint8_t> animaticsPositionFrame(std::span<const std::uint8_t> data, MotorPosition motor);
std::vector<std::uint8_t> animaticsTimeFrame(std::span<const std::uint8_t> data, MotorPosition motor);

// Writes the frame and reads back its echo (not compared); when either
// fails, both once more, whose error (CommunicationsError) is thrown.
void exchangeAnimaticsFrame(const std::vector<std::uint8_t>& frame, SerialPort& serialPort);

// How the models report a failed exchange: a wrong byte count or a corrupted
// reply becomes corruptedCommunications; a failed status check, a time-out
// or a motor that sent back nothing at all (not even the echo: a read of none
// of the bytes asked for) notConnected {allMotors}; logged on its way.
RoboticsError convertedAnimaticsError(const CommunicationsError& error);

// Starts the program stored in the motor ("RUN"). Throws RoboticsError.
void activateStoredProgramOnAnimaticsMotor(MotorPosition motor, SerialPort& serialPort);

// Sends the data bytes as a time item to the chosen motors: one frame to all
// three when all are chosen, else one per motor in X, Y, Z order. Throws the
// CommunicationsError of the exchange that failed; the motors after it get
// nothing.
void sendAnimaticsCommand(std::span<const std::uint8_t> data, bool x, bool y, bool z, SerialPort& serialPort);

// The value rounded to the nearest whole number (halves away from zero) as
// the motors take it, a signed 32-bit integer. A value that is not finite or
// does not fit is refused with RoboticsError.abortedDuringMove, so nothing
// wrapped or undefined reaches a motor.
std::int32_t animaticsInteger(double value);

// The smallest of the values present; 0 when none is.
std::int64_t minimumOfOptionals(std::optional<std::int64_t> a, std::optional<std::int64_t> b,
                                std::optional<std::int64_t> c);

} // namespace Dotfield
