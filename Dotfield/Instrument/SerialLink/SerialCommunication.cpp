#include "Dotfield/Instrument/SerialLink/SerialCommunication.hpp"

#include <cstdio>
#include <limits>
#include <string>

#include "Dotfield/Instrument/SafeState/EnergisedOutputs.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"
#include "Diagnostics/ProgramStop.hpp"

namespace Dotfield {

namespace {

using Diagnostics::logAndReturnError;
using Diagnostics::printWithContext;
using Bytes = std::vector<std::uint8_t>;

std::string describeBytes(const Bytes& bytes) {
    std::string text = "[";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        text += (i == 0 ? "" : ", ") + std::to_string(bytes[i]);
    }
    return text + "]";
}

std::string bytesAsText(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

std::string describeHandle(AD_HANDLE handle) {
    char text[32];
    std::snprintf(text, sizeof text, "%p", handle);
    return text;
}

// A device that stopped answering (or never will) is the moment to switch the
// dispenser and the UV lamp off, before anyone retries.
void linkFailing() { EnergisedOutputs::shared().linkFailed(); }

// The error of a failed exchange, once the energised outputs are on their way off.
CommunicationsError exchangeFailure(CommunicationsError error,
                                    const Diagnostics::SourceLocation& location =
                                        Diagnostics::SourceLocation::current()) {
    linkFailing();
    return logAndReturnError(std::move(error), location);
}

} // namespace

std::vector<std::uint8_t> genericSerialCommunication(const std::optional<Bytes>& bytesToReadOrWrite,
                                                     std::size_t numberOfBytes, SerialPort& serialPort,
                                                     CommunicationFunction communicationFunction) {
    if (numberOfBytes > std::numeric_limits<std::uint32_t>::max()) {
        Diagnostics::stopProgram("Serial transfer of more than 4294967295 bytes");
    }
    if (bytesToReadOrWrite && numberOfBytes > bytesToReadOrWrite->size()) {
        Diagnostics::stopProgram("Serial write of more bytes than given");
    }
    const auto count = static_cast<std::uint32_t>(numberOfBytes);

    return serialPort.onPortQueue([&]() -> Bytes {
        AD_STATUS status = AD_OK;
        std::uint32_t transferred = 0;
        Bytes received;

        if (bytesToReadOrWrite) {
            Bytes outgoing = *bytesToReadOrWrite;
            status = serialPort.callDriver([&](AD_HANDLE handle) {
                return communicationFunction(handle, outgoing.data(), count, &transferred);
            });
        } else {
            if (count == 0) {
                return {};
            }
            received.resize(count);
            const auto read = [&] {
                return serialPort.callDriver([&](AD_HANDLE handle) {
                    return communicationFunction(handle, received.data(), count, &transferred);
                });
            };
            status = read();
            if (status == AD_OK && transferred == 0) {
                // The driver's read time-out ran out before anything came.
                printWithContext("Read no bytes, attempting to wait for more to be available");
                linkFailing();
                bool bytesArrived = true;
                try {
                    waitForBufferedBytesOnSerialPort(count, serialPort);
                } catch (const CommunicationsError&) {
                    bytesArrived = false;
                }
                if (bytesArrived) {
                    transferred = 0;
                    read();
                }
            }
            received.resize(transferred);
        }

        if (status != AD_OK) {
            printWithContext("Failed status check for bytes: " +
                             (bytesToReadOrWrite ? describeBytes(*bytesToReadOrWrite) : std::string("nil")));
            throw exchangeFailure(CommunicationsError::failedStatusCheck());
        }
        if (transferred == count) {
            return received;
        }
        printWithContext("Bytes from failed read: " + describeBytes(received) + " on port " +
                         describeHandle(serialPort.ftdiCommPort()) + ", " + bytesAsText(received));
        throw exchangeFailure(CommunicationsError::wrongByteCount(count, transferred));
    });
}

void waitForBufferedBytesOnSerialPort(std::size_t byteCount, SerialPort& serialPort) {
    const SerialPortTiming& timing = serialPort.timing();
    const auto start = timing.clock->now();
    // The wait gives up once more than its time has passed.
    const auto giveUp = start + timing.bufferedBytesWait + Clock::Duration(1);
    // A device silent for a whole read time-out has stopped answering: the
    // outputs go off then, not only when the wait gives up.
    const auto silentFrom = start + std::chrono::milliseconds(timing.readTimeoutMilliseconds);
    bool silenceReported = silentFrom >= giveUp;
    std::uint32_t available = 0;
    while (true) {
        available = bytesAvailableOnSerialPort(serialPort);
        const auto now = timing.clock->now();
        if (available >= byteCount || now >= giveUp) {
            break;
        }
        if (!silenceReported && available == 0 && now >= silentFrom) {
            linkFailing();
            silenceReported = true;
        }
        serialPort.waitForReceivedBytes(silenceReported || available > 0 ? giveUp : silentFrom);
    }
    if (available >= byteCount) {
        return;
    }
    if (available == 0) {
        throw exchangeFailure(CommunicationsError::readWriteTimeout());
    }
    const Bytes partial = genericSerialCommunication(std::nullopt, available, serialPort, AD_Read);
    printWithContext("Bytes from failed read: " + describeBytes(partial) + ", " + bytesAsText(partial));
    throw exchangeFailure(CommunicationsError::wrongByteCount(byteCount, available));
}

std::uint32_t bytesAvailableOnSerialPort(SerialPort& serialPort) {
    std::uint32_t available = 0;
    const AD_STATUS status =
        serialPort.callDriver([&](AD_HANDLE handle) { return AD_GetQueueStatus(handle, &available); });
    if (status != AD_OK) {
        printWithContext("Failed status check: " + std::to_string(status));
        throw exchangeFailure(CommunicationsError::failedStatusCheck());
    }
    return available;
}

std::vector<std::uint8_t> readBytesUntilTerminator(std::uint8_t terminator, SerialPort& serialPort) {
    // The whole loop holds the port's queue, so its waits, queries and reads
    // run directly, one after the other.
    return serialPort.onPortQueue([&] {
        Bytes accumulated;
        do {
            waitForBufferedBytesOnSerialPort(1, serialPort);
            const std::uint32_t available = bytesAvailableOnSerialPort(serialPort);
            const Bytes chunk = genericSerialCommunication(std::nullopt, available, serialPort, AD_Read);
            accumulated.insert(accumulated.end(), chunk.begin(), chunk.end());
            if (accumulated.size() >= longestTerminatedReply && accumulated.back() != terminator) {
                // A device that keeps talking without ever ending its reply would
                // otherwise hold the link, and the memory, without end.
                printWithContext("Bytes from failed read: " + std::to_string(accumulated.size()) +
                                 " bytes without the terminator " + std::to_string(terminator));
                throw exchangeFailure(CommunicationsError::corruptedResponse({terminator}, accumulated));
            }
        } while (accumulated.empty() || accumulated.back() != terminator);
        return accumulated;
    });
}

void writeBytesWithRetry(const std::vector<std::uint8_t>& command, SerialPort& serialPort) {
    const auto writeAndReadEcho = [&] {
        genericSerialCommunication(command, command.size(), serialPort, AD_Write);
        genericSerialCommunication(std::nullopt, command.size(), serialPort, AD_Read);
    };
    try {
        writeAndReadEcho();
    } catch (const CommunicationsError&) {
        writeAndReadEcho();
    }
}

} // namespace Dotfield
