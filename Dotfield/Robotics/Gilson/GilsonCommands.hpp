#pragma once
// The command layer of the Gilson-protocol XYZ controller of the
// DropwrightDesktop. Several devices may share the line; one is selected at a
// time by its unit ID. Bytes on the wire:
//
//   0xFF           sent      deselect every device
//   0x80 + unit    sent      select the device with that unit ID (0x94: unit 20)
//   0x0A           sent      buffer check; the device answers one byte, and
//                            an answer below 0x80 means its buffer is cleared
//   text, 0x0D     sent      a buffered command; the device echoes every byte
//   one character  sent      an immediate command; the reply comes one byte
//                            at a time, the last with bit 7 set
//   0x06           sent      asks for the next byte of an immediate reply
//   0xA3           received  "#" with bit 7: busy, the command was not taken
//
// Positions on the wire are millimetres and speeds millimetres per second,
// both with three decimals. The layer keeps no state and sends nothing on its
// own; every exchange throws CommunicationsError.
//
// Threads: a whole command (write, echo, acknowledges) is not atomic on the
// port; the robot queue is the one user.

#include <cstdint>
#include <string>
#include <string_view>

#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Platform/Clock.hpp"

namespace Dotfield {

inline constexpr std::uint8_t gilsonDeselectByte = 0xFF;
inline constexpr std::uint8_t gilsonSelectBase = 0x80;
inline constexpr std::uint8_t gilsonBufferCheckByte = 0x0A;
inline constexpr std::uint8_t gilsonCommandTerminator = 0x0D;
inline constexpr std::uint8_t gilsonAcknowledgeByte = 0x06;
inline constexpr std::uint8_t gilsonBusyReply = 0xA3;
// The longest immediate reply taken; a device that goes on is talking noise.
inline constexpr std::size_t longestGilsonImmediateReply = 64;
// How long the buffer check goes on while the device is busy or unreadable (s).
inline constexpr double gilsonBufferCheckTimeLimit = 5.0;

// Deselects every device, waits 20 ms and selects the unit (below 0x80), then
// reads what it answered. A first answer byte of 0 runs the recovery: 0.5 s
// pause, 0xFF, 0xFF, and when the second still answers 0, the selection once
// more without looking at its answer. The pauses go to the sleeper. Throws
// what the exchanges throw (a silent device: readWriteTimeout).
void selectGilsonDevice(std::uint8_t unitID, SerialPort& serialPort, Sleeper& sleeper);

// Sends line feeds until the device answers one with a byte below 0x80. A
// failed read is printed ("Couldn't read buffered data") and the check goes
// on; a failed line-feed write ends it with its error. Busy answers and failed
// reads that last beyond gilsonBufferCheckTimeLimit on the port's clock end
// it with readWriteTimeout.
void checkForClearedGilsonBuffer(SerialPort& serialPort);

// The buffer check, then the text and a carriage return, with the echo read
// back (writeBytesWithRetry). A wrong byte count gets one more buffer check
// and send; what that throws is passed on.
void sendGilsonBufferedCommand(std::string_view command, SerialPort& serialPort);

// Sends the command character and returns the reply text. A busy device gets
// the character once more at once; busy again (or any one-byte reply) is
// wrongByteCount 1/0. A reply longer than longestGilsonImmediateReply bytes,
// or one that is not UTF-8, is corruptedResponse.
std::string sendGilsonImmediateCommand(std::string_view command, SerialPort& serialPort);

// The speed (µm/s) an axis runs at for a speed in a move command: whole
// micrometres per second, and at least the controller's slowest, 100 µm/s.
double gilsonAttainedSpeed(double speed);
// "Z<z>:<speed>": the target in mm, the speed in µm/s sent in mm/s, never
// below 0.100. Every number "%.3f", independent of the process locale.
std::string gilsonMoveZCommand(double z, double speed);

// "X<x>:<xSpeed>/<y>:<ySpeed>", with the numbers as for the Z move.
std::string gilsonMoveXYCommand(double x, double xSpeed, double y, double ySpeed);

} // namespace Dotfield
