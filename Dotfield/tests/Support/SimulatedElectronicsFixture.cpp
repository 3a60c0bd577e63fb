#include "Dotfield/tests/Support/SimulatedElectronicsFixture.hpp"

#include <chrono>

#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "adapterdriver/USB/BackendSelection.hpp"
#include "Dotfield/tests/Support/TestTiming.hpp"

using namespace Simulators;

void SimulatedElectronicsFixture::SetUp() {
    electronics = std::make_shared<SimulatedElectronics>(generation_);
    instrument =
        std::make_unique<SimulatedInstrument>(SimulatedInstrument::Peers{electronics, nullptr, nullptr});
    ASSERT_TRUE(adapterdriver::setUSBBackend(instrument->bus()));
    reopenPort(shortTiming());
}

Dotfield::SerialPortTiming SimulatedElectronicsFixture::shortTiming() {
    return Dotfield::Testing::serialPortTiming();
}

void SimulatedElectronicsFixture::reopenPort(const Dotfield::SerialPortTiming& timing) {
    if (port) {
        port->closeSerialPort();
    }
    const auto properties = Dotfield::properties(Dotfield::SerialPortType::electronics);
    port = Dotfield::openSerialPort(properties.portName, properties.baudRate, properties.evenParity, timing);
}

void SimulatedElectronicsFixture::TearDown() {
    if (port) {
        port->closeSerialPort();
    }
    EXPECT_TRUE(adapterdriver::setUSBBackend(nullptr));
    instrument.reset();
}

std::vector<SimulatedElectronics::Command::Kind> SimulatedElectronicsFixture::commandKinds() const {
    std::vector<SimulatedElectronics::Command::Kind> kinds;
    for (const auto& command : electronics->commands()) {
        kinds.push_back(command.kind);
    }
    return kinds;
}
