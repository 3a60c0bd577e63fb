#pragma once
// The serial links of the instrument and how each adapter is found and set up.
// Every link runs 8 data bits, 1 stop bit, no flow control; only the speed and
// the parity differ. All positioner links share the dual adapter's interface B.

#include <cstdint>
#include <string>

namespace Dotfield {

struct SerialPortProperties {
    // The leading part of the adapter's USB description, also the description
    // the adapter is opened by.
    std::string portName;
    std::uint32_t baudRate = 0;
    // True selects even parity, false none.
    bool evenParity = false;
};

enum class SerialPortType {
    electronics,                  // dispenser electronics
    relay,                        // relay box
    gilsonRobotics,               // positioner with the Gilson-protocol controller
    nskRobotics,                  // positioner motor controllers after the switch to 38400
    nskRoboticsInitialConnection, // the same controllers at first contact, before the switch
    nanotecMotors,                // positioner with the prototype's motor controllers
};

SerialPortProperties properties(SerialPortType type);

} // namespace Dotfield
