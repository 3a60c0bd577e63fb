#include "Dotfield/tests/Instrument/SerialLink/SimulatedInstrumentFixture.hpp"

#include <chrono>

#include "adapterdriver/USB/BackendSelection.hpp"
#include "Dotfield/tests/Support/TestTiming.hpp"

using namespace Simulators;

void SimulatedInstrumentFixture::SetUp() {
    electronics = std::make_shared<ScriptedPeer>(SerialLineSettings{.baudRate = 115200});
    positioner = std::make_shared<ScriptedPeer>(SerialLineSettings{.baudRate = 38400});
    relayBox = std::make_shared<SimulatedRelayBox>();
    instrument =
        std::make_unique<SimulatedInstrument>(SimulatedInstrument::Peers{electronics, positioner, relayBox});
    ASSERT_TRUE(adapterdriver::setUSBBackend(instrument->bus()));
}

void SimulatedInstrumentFixture::TearDown() {
    for (const auto& port : ports_) {
        port->closeSerialPort();
    }
    ports_.clear();
    EXPECT_TRUE(adapterdriver::setUSBBackend(nullptr));
    instrument.reset();
}

std::shared_ptr<Dotfield::SerialPort>
SimulatedInstrumentFixture::track(std::shared_ptr<Dotfield::SerialPort> port) {
    ports_.push_back(port);
    return port;
}

Dotfield::SerialPortTiming SimulatedInstrumentFixture::shortTiming() {
    return Dotfield::Testing::serialPortTiming();
}
