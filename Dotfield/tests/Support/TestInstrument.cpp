#include "Dotfield/tests/Support/TestInstrument.hpp"

#include <utility>

#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"

namespace Dotfield::Testing {

TestInstrument::TestInstrument(Simulators::SimulatedInstrumentOptions options)
    : SimulatedDropwright(std::move(options)) {}

TestInstrument::~TestInstrument() {
    closePorts();
}

std::shared_ptr<SerialPort> TestInstrument::openPort(const SerialPortProperties& properties,
                                                     const SerialPortTiming& timing) {
    auto port = openSerialPort(properties.portName, properties.baudRate, properties.evenParity, timing);
    std::lock_guard lock(portsMutex_);
    ports_.push_back(port);
    return port;
}

TestInstrument::PortOpener TestInstrument::opener(SerialPortTiming timing) {
    return [this, timing = std::move(timing)](const SerialPortProperties& properties) {
        return openPort(properties, timing);
    };
}

void TestInstrument::closePorts() {
    std::vector<std::shared_ptr<SerialPort>> ports;
    {
        std::lock_guard lock(portsMutex_);
        ports.swap(ports_);
    }
    for (const auto& port : ports) {
        port->closeSerialPort();
    }
}

} // namespace Dotfield::Testing
