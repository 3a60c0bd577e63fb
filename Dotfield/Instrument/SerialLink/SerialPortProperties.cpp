#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"

#include "Diagnostics/ProgramStop.hpp"

namespace Dotfield {

namespace {
constexpr const char* positionerPort = "Dual RS232 B";
} // namespace

SerialPortProperties properties(SerialPortType type) {
    switch (type) {
    case SerialPortType::electronics:
        return {"Dual RS232 A", 115200, false};
    case SerialPortType::relay:
        return {"FT232R USB UART", 9600, false};
    case SerialPortType::gilsonRobotics:
        return {positionerPort, 19200, true};
    case SerialPortType::nskRobotics:
        return {positionerPort, 38400, false};
    case SerialPortType::nskRoboticsInitialConnection:
        return {positionerPort, 9600, false};
    case SerialPortType::nanotecMotors:
        return {positionerPort, 115200, false};
    }
    Diagnostics::stopProgram("Unknown serial port type");
}

} // namespace Dotfield
