#include "Dotfield/Instrument/Electronics/ElectronicsExchange.hpp"

#include <algorithm>
#include <optional>

#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/SerialLink/SerialCommunication.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

void writeElectronicsCommand(const std::vector<std::uint8_t>& command, SerialPort& serialPort) {
    genericSerialCommunication(command, command.size(), serialPort, AD_Write);
}

std::vector<std::uint8_t> readElectronicsReply(std::size_t byteCount, SerialPort& serialPort) {
    return genericSerialCommunication(std::nullopt, byteCount, serialPort, AD_Read);
}

void sendElectronicsCommandCheckingReply(const std::vector<std::uint8_t>& command, std::uint8_t expectedReply,
                                         SerialPort& serialPort) {
    writeElectronicsCommand(command, serialPort);
    const std::vector<std::uint8_t> reply = readElectronicsReply(1, serialPort);
    if (reply.front() != expectedReply) {
        throw Diagnostics::logAndReturnError(
            CommunicationsError::corruptedResponse({expectedReply}, reply));
    }
}

void drainElectronicsReply(std::size_t byteCount, SerialPort& serialPort) {
    std::size_t remaining = byteCount;
    try {
        while (remaining > 0) {
            waitForBufferedBytesOnSerialPort(1, serialPort);
            const std::size_t waiting = bytesAvailableOnSerialPort(serialPort);
            const std::size_t count = std::min(waiting, remaining);
            readElectronicsReply(count, serialPort);
            remaining -= count;
        }
    } catch (const CommunicationsError&) {
        Diagnostics::printWithContext("The line went quiet before the rest of the reply arrived");
    }
}

} // namespace Dotfield
