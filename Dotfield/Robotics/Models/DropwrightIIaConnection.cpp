// DropwrightIIa: setting up the link to the three motors.

#include "Dotfield/Instrument/SerialLink/SerialCommunication.hpp"
#include "Dotfield/Robotics/Models/DropwrightIIa.hpp"
#include "Dotfield/Robotics/SmartMotor/AnimaticsCommands.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

std::shared_ptr<SerialPort> DropwrightIIa::retrieveSerialPort(const SerialPortOpener& openSerialPort) {
    std::shared_ptr<SerialPort> port;
    try {
        // Motors fresh from power-on listen at 9600 baud; ones already switched
        // do not answer there, and the set-up goes on at 38400 all the same.
        port = openSerialPort({portName, initialBaudRate, false});
        bool answered = true;
        try {
            exchangeAnimaticsFrame(animaticsCommandBytes("Rh", MotorPosition::xMotor), *port);
        } catch (const CommunicationsError&) {
            answered = false;
        }
        if (answered) {
            try {
                exchangeAnimaticsFrame(animaticsCommandBytes("BAUD38400", MotorPosition::allMotors), *port);
            } catch (const CommunicationsError&) {
                // Motors that missed it are found out at 38400 below.
            }
        }
        port->closeSerialPort();
        port = openSerialPort({portName, workingBaudRate, false});

        for (const MotorPosition motor : {MotorPosition::xMotor, MotorPosition::yMotor, MotorPosition::zMotor}) {
            if (queryInteger(*port, "RMODE", motor) == contourModeValue) {
                Diagnostics::printWithContext(std::string("Stuck in contouring mode in ") + axisLetter(motor));
                exchangeAnimaticsFrame(animaticsCommandBytes("MP", motor), *port);
            }
        }
        return port;
    } catch (...) {
        // A link left open would keep the adapter claimed, and every later
        // connection would fail to open it.
        if (port) {
            port->closeSerialPort();
        }
        throw Diagnostics::logAndReturnError(CommunicationsError::failedStatusCheck());
    }
}

void DropwrightIIa::disconnectFromSerialPort() {
    if (const std::shared_ptr<SerialPort> port = serialPort()) {
        port->closeSerialPort();
    }
}

} // namespace Dotfield
