#pragma once
// The exchanges every electronics command is made of, over the serial link:
// a write of the whole command, and reads of a stated number of reply bytes.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"

namespace Dotfield {

void writeElectronicsCommand(const std::vector<std::uint8_t>& command, SerialPort& serialPort);

std::vector<std::uint8_t> readElectronicsReply(std::size_t byteCount, SerialPort& serialPort);

// Writes the command and reads one byte, which must be expectedReply;
// another byte is CommunicationsError.corruptedResponse.
void sendElectronicsCommandCheckingReply(const std::vector<std::uint8_t>& command, std::uint8_t expectedReply,
                                         SerialPort& serialPort);

// Reads and drops up to byteCount bytes that are still on their way (the rest
// of a reply the host no longer wants), so they cannot be taken for the reply
// to the next command. Stops early once the line stays quiet for the link's
// wait; errors end it silently.
void drainElectronicsReply(std::size_t byteCount, SerialPort& serialPort);

} // namespace Dotfield
