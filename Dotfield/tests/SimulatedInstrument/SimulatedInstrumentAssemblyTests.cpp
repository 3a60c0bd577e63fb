#include <chrono>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialCommunication.hpp"
#include "Dotfield/Platform/THUM/THUMLibrary.hpp"
#include "adapterdriver/USB/BackendSelection.hpp"
#include "simulators/instrument/SimulatedInstrument.hpp"
#include "Dotfield/tests/Support/TestTiming.hpp"

namespace Dotfield::testing {
namespace {

using Simulators::SimulatedDropwright;
using Simulators::SimulatedInstrumentOptions;

SerialPortTiming shortTiming() {
    return Dotfield::Testing::serialPortTiming();
}

// Writes the bytes and answers the reply up to and with the terminator.
std::string ask(SerialPort& port, const std::string& text, std::uint8_t terminator = '\r') {
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    genericSerialCommunication(bytes, bytes.size(), port, AD_Write);
    const auto reply = readBytesUntilTerminator(terminator, port);
    return {reply.begin(), reply.end()};
}

TEST(SimulatedInstrumentAssembly, EveryDeviceAnswersOnItsOwnLinkAndActsOnTheOneWorld) {
    const auto clock = std::make_shared<Simulators::SteppedWorldClock>();
    auto instrument = std::make_unique<SimulatedDropwright>(
        SimulatedInstrumentOptions{.positionerModel = "Generic", .clock = clock});
    EXPECT_EQ(adapterdriver::currentUSBBackend(), instrument->cabling().bus());
    {
        const auto positioner = openSerialPort("Dual RS232 B", 57600, false, shortTiming());
        const auto electronics = openSerialPort("Dual RS232 A", 115200, false, shortTiming());
        const auto relay = openSerialPort("FT232R USB UART", 9600, false, shortTiming());

        // The positioner starts at its home switches, and moves the world.
        EXPECT_EQ(ask(*positioner, "P\r"), "P 0 0 90000\r");
        EXPECT_EQ(ask(*positioner, "M Z 89000\r"), "OK\r");
        clock->advance(std::chrono::seconds(1));
        EXPECT_EQ(instrument->world()->tipPosition(), (Simulators::WorldPoint{0.0, 0.0, 89000.0}));

        EXPECT_EQ(ask(*electronics, "v"),
                  Simulators::SimulatedElectronics::defaultIdentificationText(
                      Simulators::SimulatedElectronics::Generation::redesign2016));

        const std::vector<std::uint8_t> close{0xFF, 0x01, 0x01};
        genericSerialCommunication(close, close.size(), *relay, AD_Write);
        const auto exposures = instrument->world()->uvExposures();
        ASSERT_EQ(exposures.size(), 1u);
        EXPECT_FALSE(exposures[0].finished);

        for (const auto& port : {positioner, electronics, relay}) {
            port->closeSerialPort();
        }
    }

    THUMHandle handle{};
    ASSERT_EQ(GetTHUMHandle(handle.data(), 0, nullptr), thumSuccess);
    double temperature = 0.0;
    double humidity = 0.0;
    EXPECT_EQ(ReadTHUM(handle.data(), &temperature, &humidity), thumSuccess);
    EXPECT_EQ(temperature, 21.0);
    EXPECT_EQ(humidity, 40.0);
    ReleaseTHUMHandle(handle.data());

    const auto bus = instrument->cabling().bus();
    instrument.reset();
    EXPECT_NE(adapterdriver::currentUSBBackend(), bus);
    EXPECT_EQ(GetTHUMHandle(handle.data(), 0, nullptr), thumNoSensor);
}

TEST(SimulatedInstrumentAssembly, ModelsAreChosenByName) {
    for (const auto& model : SimulatedDropwright::applicationModels()) {
        SimulatedInstrumentOptions options;
        options.positionerModel = model;
        const SimulatedDropwright instrument(options);
        EXPECT_EQ(instrument.positionerModel(), model);
        // The IIa and IIb have the SmartMotor bus, the Desktop its Gilson
        // controller, the Proto its stepper controllers.
        EXPECT_NE(instrument.positioner(), nullptr) << model;
    }
    SimulatedInstrumentOptions unknown;
    unknown.positionerModel = "IIc";
    EXPECT_THROW(SimulatedDropwright{unknown}, std::invalid_argument);

    const SimulatedDropwright first;
    const auto open = openSerialPort("Dual RS232 A", 115200, false, shortTiming());
    EXPECT_THROW(SimulatedDropwright{}, std::runtime_error);
    EXPECT_EQ(adapterdriver::currentUSBBackend(), first.cabling().bus());
    open->closeSerialPort();
}

} // namespace
} // namespace Dotfield::testing
