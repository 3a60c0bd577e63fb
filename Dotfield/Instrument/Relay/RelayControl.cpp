#include "Dotfield/Instrument/Relay/RelayControl.hpp"

#include <cstdint>
#include <optional>
#include <vector>

#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/Errors/RelayError.hpp"
#include "Dotfield/Instrument/SerialLink/SerialCommunication.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

using Diagnostics::logAndReturnError;

constexpr std::uint8_t frameStart = 0xFF;
constexpr std::uint8_t relayChannel = 0x01;
constexpr std::uint8_t queryCommand = 0x03;
constexpr std::size_t stateReplyLength = 3;

SerialPort& requirePort(const std::shared_ptr<SerialPort>& serialPort) {
    if (!serialPort) {
        throw logAndReturnError(RelayError(RelayErrorKind::electronicsDisconnected));
    }
    return *serialPort;
}

RelayError relayErrorFor(const CommunicationsError& error) {
    switch (error.kind()) {
    case CommunicationsError::Kind::failedStatusCheck:
    case CommunicationsError::Kind::readWriteTimeout:
        return RelayError(RelayErrorKind::electronicsDisconnected);
    case CommunicationsError::Kind::wrongByteCount:
    case CommunicationsError::Kind::corruptedResponse:
        break;
    }
    return RelayError(RelayErrorKind::unrecoverableCommunicationNoise);
}

} // namespace

bool readExternalRelayStatus(const std::shared_ptr<SerialPort>& serialPort) {
    SerialPort& port = requirePort(serialPort);
    const std::vector<std::uint8_t> query{frameStart, relayChannel, queryCommand};
    genericSerialCommunication(query, query.size(), port, AD_Write);
    const std::vector<std::uint8_t> reply =
        genericSerialCommunication(std::nullopt, stateReplyLength, port, AD_Read);
    switch (reply[2]) {
    case static_cast<std::uint8_t>(RelayState::open):
        return false;
    case static_cast<std::uint8_t>(RelayState::closed):
        return true;
    default:
        throw logAndReturnError(CommunicationsError::corruptedResponse({reply[0]}, {reply[2]}));
    }
}

void switchExternalRelay(RelayState state, const std::shared_ptr<SerialPort>& serialPort) {
    SerialPort& port = requirePort(serialPort);
    const std::vector<std::uint8_t> command{frameStart, relayChannel, static_cast<std::uint8_t>(state)};
    try {
        try {
            genericSerialCommunication(command, command.size(), port, AD_Write);
        } catch (const CommunicationsError&) {
            genericSerialCommunication(command, command.size(), port, AD_Write);
        }
        const bool closed = readExternalRelayStatus(serialPort);
        if (closed != (state == RelayState::closed)) {
            throw logAndReturnError(RelayError(RelayErrorKind::relayDidNotSwitch));
        }
    } catch (const CommunicationsError& error) {
        throw logAndReturnError(relayErrorFor(error));
    }
}

} // namespace Dotfield
