// DropwrightDesktop: opening the link and selecting the controller on it.

#include "Dotfield/Instrument/SerialLink/SerialCommunication.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/Robotics/Gilson/GilsonCommands.hpp"
#include "Dotfield/Robotics/Models/DropwrightDesktop.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

using Diagnostics::SourceLocation;

CommunicationsError failedConnection(const SourceLocation& location = SourceLocation::current()) {
    return Diagnostics::logAndReturnError(
        CommunicationsError::failedStatusCheck(),
        SourceLocation::current(location.file_name(), location.line(), "retrieveSerialPort"));
}

void deselect(SerialPort& port) {
    const std::vector<std::uint8_t> bytes{gilsonDeselectByte};
    genericSerialCommunication(bytes, bytes.size(), port, AD_Write);
}

} // namespace

std::shared_ptr<SerialPort> DropwrightDesktop::retrieveSerialPort(const SerialPortOpener& openSerialPort) {
    std::shared_ptr<SerialPort> port;
    try {
        port = openSerialPort(properties(SerialPortType::gilsonRobotics));
    } catch (...) {
        throw failedConnection();
    }
    if (!port) {
        throw failedConnection();
    }
    try {
        selectGilsonDevice(unitID, *port, *sleeper_);
    } catch (...) {
        try {
            deselect(*port);
            selectGilsonDevice(unitID, *port, *sleeper_);
        } catch (...) {
            // A link left open keeps the adapter claimed, and every later
            // connection would fail to open it.
            port->closeSerialPort();
            throw failedConnection();
        }
    }
    return port;
}

void DropwrightDesktop::disconnectFromSerialPort() {
    const std::shared_ptr<SerialPort> port = serialPort();
    if (!port || port->isClosed()) {
        return;
    }
    try {
        deselect(*port);
    } catch (...) {
        // The link closes all the same: left open, it would keep the adapter
        // from every later connection.
        port->closeSerialPort();
        throw;
    }
    port->closeSerialPort();
}

} // namespace Dotfield
