#pragma once
// What sits at the far end of an adapter's serial line: a simulated
// instrument. It receives the bytes the host writes, hears about the line
// settings, and answers through the port it is attached to.

#include <cstdint>
#include <span>

#include "simulators/usb/SerialLineSettings.hpp"

namespace Simulators {

// One interface of a simulated adapter, as its peer sees it.
class SimulatedSerialPort {
public:
    virtual ~SimulatedSerialPort() = default;

    // Queues bytes towards the host; they arrive in the adapter's next
    // bulk-in packets. Thread-safe; ignored once the adapter is unplugged.
    virtual void send(std::span<const std::uint8_t> bytes) = 0;

    virtual SerialLineSettings lineSettings() const = 0;
};

class AdapterPeer {
public:
    virtual ~AdapterPeer() = default;

    // Bytes the host wrote to the interface, in order, on the writer's thread.
    // The peer may answer at once through port.send.
    virtual void receive(std::span<const std::uint8_t> bytes, SimulatedSerialPort& port) = 0;

    // The host changed baud rate, data format, flow control or modem lines.
    virtual void lineSettingsChanged(const SerialLineSettings& /*settings*/, SimulatedSerialPort& /*port*/) {}
};

} // namespace Simulators
