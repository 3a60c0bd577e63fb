#pragma once
// Finding, opening and setting up the adapter of one serial link.

#include <cstdint>
#include <memory>
#include <string>

#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortTiming.hpp"

namespace Dotfield {

// Finds an adapter whose USB description begins with portName, opens it by
// that description and sets it to the given speed and parity (8 data bits, 1
// stop bit, no flow control, 1 ms latency, the timing's driver time-outs).
// Throws SerialPortConnectionError: deviceMissing when no such adapter is
// listed, connectionToDeviceFailed when it cannot be opened,
// settingTheSettingsFailed when it refuses a line setting (the handle is
// closed again).
std::shared_ptr<SerialPort> openSerialPort(const std::string& portName, std::uint32_t baudRate,
                                           bool evenParity, const SerialPortTiming& timing = {});

} // namespace Dotfield
