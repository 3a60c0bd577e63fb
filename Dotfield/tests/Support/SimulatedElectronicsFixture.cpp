#include "Dotfield/tests/Support/SimulatedElectronicsFixture.hpp"

#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/tests/Support/SimulatedInstrumentBuilder.hpp"
#include "Dotfield/tests/Support/TestTiming.hpp"
#include "adapterdriver/USB/BackendSelection.hpp"

using namespace Simulators;

void SimulatedElectronicsFixture::SetUp() {
    Dotfield::Testing::SimulatedInstrumentBuilder builder("IIb");
    builder.electronics(generation_).withoutPositioner().withoutSurface();
    if (clock_) {
        builder.worldClock(clock_);
    }
    instrument = builder.build();
    electronics = instrument->electronics();
    reopenPort(shortTiming());
}

Dotfield::SerialPortTiming SimulatedElectronicsFixture::shortTiming() {
    return Dotfield::Testing::serialPortTiming();
}

void SimulatedElectronicsFixture::reopenPort(const Dotfield::SerialPortTiming& timing) {
    if (port) {
        port->closeSerialPort();
    }
    port = instrument->openPort(Dotfield::properties(Dotfield::SerialPortType::electronics), timing);
}

void SimulatedElectronicsFixture::TearDown() {
    if (instrument) {
        instrument->closePorts();
        // Every link the test opened is closed by now: the driver library lets the bus go.
        EXPECT_TRUE(adapterdriver::setUSBBackend(nullptr));
    }
    instrument.reset();
}

std::vector<SimulatedElectronics::Command::Kind> SimulatedElectronicsFixture::commandKinds() const {
    std::vector<SimulatedElectronics::Command::Kind> kinds;
    for (const auto& command : electronics->commands()) {
        kinds.push_back(command.kind);
    }
    return kinds;
}
