#include "Dotfield/Instrument/DispenserStatus/OriginalDesignStatusCommands.hpp"

#include <algorithm>
#include <vector>

#include "Dotfield/Instrument/Electronics/ElectronicsErrorConversion.hpp"
#include "Dotfield/Instrument/Electronics/ElectronicsExchange.hpp"
#include "Dotfield/Instrument/Electronics/FrequencyRegister.hpp"
#include "Dotfield/Instrument/Electronics/SampleBlock.hpp"
#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

constexpr std::uint8_t statusSetupCommand = 0x53; // 'S'

std::vector<std::uint8_t> statusSetupBytes(const DispenserStatusPoints& points) {
    std::vector<std::uint8_t> command{statusSetupCommand};
    for (const auto& point : points) {
        const auto word = frequencyRegisterBytes(point.frequency, ElectronicsHardwareGeneration::originalDesign);
        command.insert(command.end(), word.begin(), word.end());
        command.push_back(std::max<std::uint8_t>(point.delay, 1));
    }
    return command;
}

} // namespace

void initializeImpedanceStatusCheck(const DispenserStatusPoints& points, SerialPort& serialPort) {
    const auto command = statusSetupBytes(points);
    const std::vector<std::uint8_t> reply = convertingCommunicationsErrors([&] {
        writeElectronicsCommand(command, serialPort);
        return readElectronicsReply(1, serialPort);
    });
    if (reply.size() != 1 || reply[0] != statusSetupCommand) {
        throw Diagnostics::logAndReturnError(
            ElectronicsError(ElectronicsErrorKind::unrecoverableCommunicationNoise));
    }
}

DispenserStatusReading decodeImpedanceStatusReply(std::span<const std::uint8_t> reply) {
    if (reply.size() != impedanceStatusReplySize) {
        throw Diagnostics::logAndReturnError(
            CommunicationsError::wrongByteCount(impedanceStatusReplySize, reply.size()));
    }
    DispenserStatusReading reading;
    for (std::size_t i = 0; i < dispenserStatusPointCount; ++i) {
        reading[i] = impedanceFromSampleBlock(reply.subspan(i * impedanceSampleBlockSize, impedanceSampleBlockSize));
    }
    return reading;
}

} // namespace Dotfield
