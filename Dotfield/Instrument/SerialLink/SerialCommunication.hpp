#pragma once
// Exchanging bytes over an open serial port. Every driver call runs on the
// port's own queue; the operations nest (an exchange waits for bytes, the wait
// drains a partial reply, the terminator read loops over both) and the nested
// calls run directly because they already hold the queue. Failures are
// CommunicationsError; a failed exchange leaves the port open and usable.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "adapterdriver/adapterdriver.h"

namespace Dotfield {

// AD_Read or AD_Write.
using CommunicationFunction = AD_STATUS (*)(AD_HANDLE handle, void* buffer, std::uint32_t bytesToTransfer,
                                            std::uint32_t* bytesTransferred);

// One write (bytes present: the first numberOfBytes of them are written, and
// the result is empty) or one read (bytes absent: exactly numberOfBytes are
// returned). A read that times out empty waits for the bytes and reads once
// more. Throws failedStatusCheck or wrongByteCount.
std::vector<std::uint8_t>
genericSerialCommunication(const std::optional<std::vector<std::uint8_t>>& bytesToReadOrWrite,
                           std::size_t numberOfBytes, SerialPort& serialPort,
                           CommunicationFunction communicationFunction);

// Returns once at least byteCount bytes wait in the receive queue. When the
// wait runs out with too few, those are read and dropped (wrongByteCount);
// with none, readWriteTimeout.
void waitForBufferedBytesOnSerialPort(std::size_t byteCount, SerialPort& serialPort);

// The number of bytes waiting in the receive queue. Throws failedStatusCheck.
std::uint32_t bytesAvailableOnSerialPort(SerialPort& serialPort);

// The most a terminated reply may hold. The instruments' text replies are a
// few dozen bytes; a stream this long without its terminator is noise.
inline constexpr std::size_t longestTerminatedReply = 4096;

// Reads until the last byte read is the terminator; returns everything read,
// the terminator last. A silence ends it with the wait's error; bytes that
// reach longestTerminatedReply without ending in the terminator end it with
// corruptedResponse (the terminator expected, the bytes received).
std::vector<std::uint8_t> readBytesUntilTerminator(std::uint8_t terminator, SerialPort& serialPort);

// Writes the command and reads its echo (not compared); one more try of the
// pair when either fails, whose error is then thrown.
void writeBytesWithRetry(const std::vector<std::uint8_t>& command, SerialPort& serialPort);

} // namespace Dotfield
