#pragma once
// The command lists the prototype positioner's controllers are given: the
// set-up sent once when the link opens, and the bare velocity-loop commands
// that follow the closed-loop gains.

#include <array>
#include <string_view>

#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"

namespace Dotfield::Proto {

// Mode 2 ("p2") to X, Y and Z, then the controller settings in order. The
// "p2" step tries every axis: those that do not answer are reported together
// as RoboticsError.notConnected with their set, and nothing further is sent.
// After it, the first failed exchange ends the list with its
// CommunicationsError unchanged.
void configureControllers(SerialPort& serialPort);

// Sent to each axis, bare, after its six gains; their replies are dropped.
inline constexpr std::array<std::string_view, 12> bareLoopCommands{
    ":CL_KP_v_Z0",   ":CL_KP_v_N0",   ":CL_KI_v_Z0",   ":CL_KI_v_N0",   ":CL_KD_v_Z0",   ":CL_KD_v_N0",
    ":CL_KP_csv_Z0", ":CL_KP_csv_N0", ":CL_KI_csv_Z0", ":CL_KI_csv_N0", ":CL_KD_csv_Z0", ":CL_KD_csv_N0",
};

} // namespace Dotfield::Proto
