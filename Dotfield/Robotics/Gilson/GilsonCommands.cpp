#include "Dotfield/Robotics/Gilson/GilsonCommands.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>
#include <vector>

#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/SerialLink/SerialCommunication.hpp"
#include "Dotfield/Instrument/SerialLink/AsciiBytes.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"
#include "Diagnostics/ProgramStop.hpp"
#include "Zovudidova/NumberText.hpp"

namespace Dotfield {

namespace {

using Bytes = std::vector<std::uint8_t>;
using Diagnostics::logAndReturnError;
using Diagnostics::SourceLocation;

constexpr std::uint8_t lastByteFlag = 0x80;
// Velocities below this (µm/s) go out as this.
constexpr double slowestSpeed = 100.0;

void writeBytes(const Bytes& bytes, SerialPort& serialPort) {
    genericSerialCommunication(bytes, bytes.size(), serialPort, AD_Write);
}

// Waits for at least one byte and reads everything buffered.
Bytes readBufferedBytes(SerialPort& serialPort) {
    waitForBufferedBytesOnSerialPort(1, serialPort);
    const std::uint32_t available = bytesAvailableOnSerialPort(serialPort);
    return genericSerialCommunication(std::nullopt, available, serialPort, AD_Read);
}

// The first byte of what the device sent next.
std::uint8_t nextReplyByte(SerialPort& serialPort) {
    const Bytes bytes = readBufferedBytes(serialPort);
    if (bytes.empty()) {
        throw logAndReturnError(CommunicationsError::wrongByteCount(1, 0));
    }
    return bytes.front();
}

std::string speedText(double speed) {
    return Zovudidova::formatFixed(std::max(slowestSpeed, speed) / 1000.0, 3);
}

} // namespace

double gilsonAttainedSpeed(double speed) {
    return std::round(std::max(slowestSpeed, speed));
}

namespace {

} // namespace

void selectGilsonDevice(std::uint8_t unitID, SerialPort& serialPort, Sleeper& sleeper) {
    if (unitID >= gilsonSelectBase) {
        Diagnostics::stopProgram("Gilson unit IDs lie below 0x80");
    }
    const Bytes select{static_cast<std::uint8_t>(gilsonSelectBase + unitID)};
    const Bytes deselect{gilsonDeselectByte};

    writeBytes(deselect, serialPort);
    sleeper.sleep(std::chrono::milliseconds(20));
    writeBytes(select, serialPort);
    if (nextReplyByte(serialPort) != 0) {
        return;
    }

    sleeper.sleep(std::chrono::milliseconds(500));
    writeBytes(deselect, serialPort);
    readBufferedBytes(serialPort);
    writeBytes(deselect, serialPort);
    if (nextReplyByte(serialPort) != 0) {
        return;
    }
    writeBytes(select, serialPort);
    readBufferedBytes(serialPort);
}

void checkForClearedGilsonBuffer(SerialPort& serialPort) {
    const Clock& clock = *serialPort.timing().clock;
    const Clock::TimePoint giveUp =
        clock.now() + std::chrono::duration_cast<Clock::Duration>(
                          std::chrono::duration<double>(gilsonBufferCheckTimeLimit));
    while (true) {
        writeBytes({gilsonBufferCheckByte}, serialPort);
        try {
            const Bytes answer = genericSerialCommunication(std::nullopt, 1, serialPort, AD_Read);
            if (answer.front() < lastByteFlag) {
                return;
            }
        } catch (const CommunicationsError&) {
            Diagnostics::printWithContext(
                "Couldn't read buffered data",
                SourceLocation::current(__FILE__, __LINE__, "checkForClearedGilsonBuffer"));
        }
        // A device that stays busy or unreadable would hold the robot for ever.
        if (clock.now() >= giveUp) {
            throw logAndReturnError(CommunicationsError::readWriteTimeout());
        }
    }
}

void sendGilsonBufferedCommand(std::string_view command, SerialPort& serialPort) {
    checkForClearedGilsonBuffer(serialPort);
    Bytes bytes = asciiBytes(command);
    bytes.push_back(gilsonCommandTerminator);
    try {
        writeBytesWithRetry(bytes, serialPort);
    } catch (const CommunicationsError& error) {
        if (error.kind() != CommunicationsError::Kind::wrongByteCount) {
            throw;
        }
        checkForClearedGilsonBuffer(serialPort);
        writeBytesWithRetry(bytes, serialPort);
    }
}

std::string sendGilsonImmediateCommand(std::string_view command, SerialPort& serialPort) {
    const Bytes commandBytes = asciiBytes(command);
    writeBytes(commandBytes, serialPort);
    std::uint8_t first = nextReplyByte(serialPort);
    if (first > lastByteFlag) {
        const auto character = static_cast<char>(first & ~lastByteFlag);
        if (character != '#') {
            return std::string(1, character);
        }
        // Busy: the command was not taken. One more try, at once.
        writeBytes(commandBytes, serialPort);
        first = nextReplyByte(serialPort);
        if (first > lastByteFlag) {
            throw logAndReturnError(CommunicationsError::wrongByteCount(1, 0));
        }
    }

    Bytes reply{first};
    while (true) {
        if (reply.size() >= longestGilsonImmediateReply) {
            throw logAndReturnError(CommunicationsError::corruptedResponse({}, reply));
        }
        writeBytes({gilsonAcknowledgeByte}, serialPort);
        const std::uint8_t next = nextReplyByte(serialPort);
        if (next > lastByteFlag) {
            reply.push_back(static_cast<std::uint8_t>(next & ~lastByteFlag));
            break;
        }
        reply.push_back(next);
    }
    // The device speaks ASCII: anything else is a garbled reply, not a text.
    if (!isWellFormedUTF8(reply)) {
        throw logAndReturnError(CommunicationsError::corruptedResponse({}, reply));
    }
    return std::string(reply.begin(), reply.end());
}

std::string gilsonMoveZCommand(double z, double speed) {
    return "Z" + Zovudidova::formatFixed(z, 3) + ":" + speedText(speed);
}

std::string gilsonMoveXYCommand(double x, double xSpeed, double y, double ySpeed) {
    return "X" + Zovudidova::formatFixed(x, 3) + ":" + speedText(xSpeed) + "/" + Zovudidova::formatFixed(y, 3) +
           ":" + speedText(ySpeed);
}

} // namespace Dotfield
