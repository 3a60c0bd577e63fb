#pragma once
// The command protocol of the prototype positioner's three closed-loop
// stepper controllers, one per axis, on one serial link at 115200 baud.
//
//   frame: '#', the motor character ('1' X, '2' Y, '3' Z, '*' all), the
//          command text, CR (0x0D); no length field, no checksum
//   reply: one line ending in CR that repeats the motor character and the
//          command before any value ("1ZC-2048", "1$: 160",
//          "1:is_referenced+1")
//
// A reply is read either up to its CR (bytes of 0x80 and above and the CR
// dropped) or as an exact number of bytes (kept as they came). Either way it
// is decoded as UTF-8; bytes that are not UTF-8 give the empty text, which no
// parser accepts. One command is on the wire at a time: each exchange is a
// write followed by its reply.
//
// Failures of an exchange or of a parse are CommunicationsError; the model
// turns them into RoboticsError where its operations say so.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Instrument/Axes/MotorPosition.hpp"

namespace Dotfield::Proto {

inline constexpr std::uint8_t frameStart = 0x23; // '#'
inline constexpr std::uint8_t carriageReturn = 0x0D;

// Microns per motor count.
inline constexpr double micronsPerCountInX = 0.78125;
inline constexpr double micronsPerCountInY = 0.78125;
inline constexpr double micronsPerCountInZ = 0.15625;

// ---- Status values of a "$" reply -------------------------------------------------

inline constexpr std::int32_t statusMovingToTarget = 160;
inline constexpr std::int32_t statusRunning = 162;
inline constexpr std::int32_t statusLimitSwitch = 164;
inline constexpr std::int32_t statusFaultLast = 166;

// 160 and 162: the axis moves.
bool statusMeansMoving(std::int32_t status);
// 164, 165, 166: the controller stopped the axis on a fault.
bool statusIsFault(std::int32_t status);
// 164 or more: a reference run has ended.
bool statusEndsReferenceRun(std::int32_t status);

// ---- Framing and exchanges ----------------------------------------------------------

char motorCharacter(MotorPosition motor);

// '#', the motor character, the text's UTF-8 bytes, CR.
std::vector<std::uint8_t> commandBytes(std::string_view command, MotorPosition motor);

// Writes the frame, reads the reply up to its CR and drops it.
void sendCommand(std::string_view command, MotorPosition motor, SerialPort& serialPort);

// Writes the frame and answers the reply as text: up to its CR, sanitised,
// or exactly byteCount bytes as they came (another count is wrongByteCount
// with byteCount expected).
std::string commandResponse(std::string_view command, MotorPosition motor, std::size_t byteCount,
                            bool readsUntilCarriageReturn, SerialPort& serialPort);

// The bytes as text when they are well-formed UTF-8, else the empty text.
std::string decodedText(std::span<const std::uint8_t> bytes);

// ---- Reply parsers --------------------------------------------------------------------
// A reply too short for its parser is wrongByteCount (the shortest usable
// length expected); one whose value does not read is corruptedResponse.

// "ZC" for a position: after the 3-character echo, the whole rest is a
// finite decimal number of counts.
double parsePositionReply(const std::string& reply);
// "ZC" before a fault is cleared: the leading integer after the echo. A
// reply without one is refused, so a garbled reply never re-zeroes the axis.
std::int32_t parseClearingPositionReply(const std::string& reply);
// "$": the leading integer after the 4-character echo ("1$: "). A reply
// without one is refused rather than read as a standing axis.
std::int32_t parseStatusReply(const std::string& reply);
// ":is_referenced": referenced only when the reply is exactly
// "<motor>:is_referenced+1".
bool isReferencedReply(const std::string& reply, MotorPosition motor);

// ---- Values of the catalogue -----------------------------------------------------------
// A value that is not finite or lies outside the signed 64-bit range is
// refused with RoboticsError.abortedDuringMove before anything is sent.

// The value to the nearest integer, halves away from zero.
std::int64_t nearestInteger(double value);
// The microns per count "o" and "b" use: Z's for zMotor, X/Y's for every
// other motor value (allMotors too).
double micronsPerCountForRate(MotorPosition motor);
// "o" + v / µm per count.
std::string velocityCommand(double micronsPerSecond, MotorPosition motor);
// "b" + max((3000 / (a / µm per count + 11.7))², 200).
std::string accelerationCommand(double micronsPerSecondSquared, MotorPosition motor);
// What a controller given these runs at: the whole counts per second of "o",
// and the 3000 / √b − 11.7 counts per second squared of the ramp value "b"
// (at most that of the steepest ramp, b = 200).
double attainedVelocity(double micronsPerSecond, MotorPosition motor);
double attainedAcceleration(double micronsPerSecondSquared, MotorPosition motor);
// The text followed by the value as a decimal integer ("s-1280", "D0").
std::string commandWithValue(std::string_view command, std::int64_t value);

// ---- Errors -----------------------------------------------------------------------------

// A failed exchange as the model's operations report it: a failed status
// check or a time-out is notConnected {allMotors}; a wrong byte count or a
// corrupted reply is corruptedCommunications. Logged on its way.
RoboticsError convertedError(const CommunicationsError& error);

} // namespace Dotfield::Proto
