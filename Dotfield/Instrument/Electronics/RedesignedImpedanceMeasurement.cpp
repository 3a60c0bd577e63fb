#include "Dotfield/Instrument/Electronics/RedesignedImpedanceMeasurement.hpp"

#include <cstdint>
#include <string>

#include "Dotfield/Instrument/Electronics/ElectronicsErrorConversion.hpp"
#include "Dotfield/Instrument/Electronics/ElectronicsExchange.hpp"
#include "Dotfield/Instrument/Electronics/StatusSetupText.hpp"
#include "Dotfield/Instrument/SerialLink/SerialCommunication.hpp"
#include "Dotfield/Instrument/SerialLink/AsciiBytes.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

using Diagnostics::logAndReturnError;
using Diagnostics::printWithContext;

constexpr std::uint8_t identifyCommand = 0x76;  // 'v'
constexpr std::uint8_t sweepCommand = 0x70;     // 'p'
constexpr std::uint8_t statusSetupReply = 0x53; // 'S'
constexpr std::uint8_t carriageReturn = 0x0D;
constexpr std::uint8_t lineFeed = 0x0A;
constexpr std::string_view redesignVersionEnding = "0.8.2.2\r";

constexpr std::size_t sweepPointCount = 401;
constexpr double sweepStartKilohertz = 200.0;
constexpr double sweepStepKilohertz = 1.0;

// Writes a one-byte command, once more when the first write fails.
void writeWithOneRetry(std::uint8_t command, SerialPort& serialPort) {
    retryingOnce([&] { writeElectronicsCommand({command}, serialPort); });
}

std::string identificationFallingBackToLines(SerialPort& serialPort) {
    try {
        writeWithOneRetry(identifyCommand, serialPort);
        const auto reply = readBytesUntilTerminator(carriageReturn, serialPort);
        return {reply.begin(), reply.end()};
    } catch (const CommunicationsError&) {
        printWithContext("No identification; clearing the command line and asking again");
    }
    writeWithOneRetry(carriageReturn, serialPort);
    readBytesUntilTerminator(lineFeed, serialPort);
    writeWithOneRetry(identifyCommand, serialPort);
    auto reply = readBytesUntilTerminator(lineFeed, serialPort);
    // The line ends in a line feed after the identification's own carriage
    // return; the version test is about the text before it.
    reply.pop_back();
    return {reply.begin(), reply.end()};
}

} // namespace

ElectronicsHardwareGeneration determineElectronicsHardwareGeneration(SerialPort& serialPort) {
    const std::string reply = identificationFallingBackToLines(serialPort);
    if (reply.ends_with(redesignVersionEnding)) {
        printWithContext("New electronics");
        return ElectronicsHardwareGeneration::redesign2016;
    }
    printWithContext("Original electronics");
    return ElectronicsHardwareGeneration::originalDesign;
}

std::vector<ImpedanceMeasurement>
performImpedanceScanPV(SerialPort& serialPort, const NewImpedanceValueFunction& newImpedanceValueFunction) {
    writeWithOneRetry(sweepCommand, serialPort);
    std::vector<ImpedanceMeasurement> measurements;
    measurements.reserve(sweepPointCount);
    std::size_t bytesTaken = 0;
    try {
        for (std::size_t k = 0; k < sweepPointCount; ++k) {
            const auto frequency =
                Zovudidova::kilohertz(sweepStartKilohertz + sweepStepKilohertz * static_cast<double>(k));
            std::vector<std::uint8_t> record;
            try {
                record = readElectronicsReply(impedanceRecordSize, serialPort);
            } catch (const CommunicationsError& error) {
                // A short read consumed what did arrive.
                if (error.kind() == CommunicationsError::Kind::wrongByteCount) {
                    bytesTaken += error.receivedByteCount();
                }
                throw;
            }
            bytesTaken += record.size();
            const Impedance impedance = decodeImpedanceRecord(record);
            if (!newImpedanceValueFunction(frequency, impedance.magnitude)) {
                throw logAndReturnError(ElectronicsError(ElectronicsErrorKind::abortedByUser));
            }
            measurements.push_back({impedance.magnitude, impedance.phase, {frequency, 0}});
        }
    } catch (...) {
        const std::size_t sweepBytes = sweepPointCount * impedanceRecordSize;
        if (bytesTaken < sweepBytes) {
            drainElectronicsReply(sweepBytes - bytesTaken, serialPort);
        }
        throw;
    }
    return measurements;
}

void initializeImpedanceStatusCheckPV(
    const std::array<Zovudidova::Frequency, impedanceStatusPointCount>& frequencies, SerialPort& serialPort) {
    const std::vector<std::uint8_t> command = asciiBytes(impedanceStatusCheckSetupText(frequencies));
    convertingCommunicationsErrors([&] {
        writeElectronicsCommand(command, serialPort);
        const auto reply = readBytesUntilTerminator(lineFeed, serialPort);
        if (reply.front() != statusSetupReply) {
            throw logAndReturnError(ElectronicsError(ElectronicsErrorKind::unrecoverableCommunicationNoise));
        }
    });
}

} // namespace Dotfield
