#include "Dotfield/Robotics/Proto/ProtoControllerSetup.hpp"

#include <set>
#include <utility>

#include "Dotfield/Robotics/Proto/ProtoCommands.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield::Proto {

namespace {

constexpr MotorPosition x = MotorPosition::xMotor;
constexpr MotorPosition y = MotorPosition::yMotor;
constexpr MotorPosition z = MotorPosition::zMotor;

// The settings after mode 2, in the order they are sent.
constexpr std::pair<std::string_view, MotorPosition> settings[] = {
    {"g32", x},         {"g32", y},         {"g32", z},                                     //
    {":CL_enable1", x}, {":CL_enable1", y}, {":CL_enable1", z},                             //
    {"d1", x},          {"d0", y},          {"d0", z},                                      //
    {"q0", x},          {"q0", y},                                                          //
    {"i50", x},         {"i50", y},                                                         //
    {"u400", x},        {"u400", y},        {"u400", z},
};

} // namespace

void configureControllers(SerialPort& serialPort) {
    std::set<MotorPosition> silent;
    for (const MotorPosition motor : {x, y, z}) {
        try {
            sendCommand("p2", motor, serialPort);
        } catch (const CommunicationsError&) {
            silent.insert(motor);
        }
    }
    if (!silent.empty()) {
        throw Diagnostics::logAndReturnError(RoboticsError::notConnected(std::move(silent)));
    }
    for (const auto& [command, motor] : settings) {
        sendCommand(command, motor, serialPort);
    }
}

} // namespace Dotfield::Proto
