#include "Dotfield/tests/Printing/Engine/PrintingInstrumentFixture.hpp"

#include "Dotfield/Instrument/DispenserStatus/DispenserStatusPoll.hpp"
#include "Dotfield/Instrument/HelperFunctions/TimerTicks.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/Robotics/Models/DropwrightIIb.hpp"
#include "Dotfield/tests/Support/RobotModels.hpp"
#include "Dotfield/tests/Support/SampledDispenser.hpp"

namespace Dotfield::testing {

void PrintingInstrumentFixture::startStatusPoll() {
    startRepeatingTimer(*electronics, dispenserStatusPollInterval, dispenserStatusPollLeeway, [] {});
}

void PrintingInstrumentFixture::SetUp() {
    instrument = std::make_unique<Testing::TestInstrument>(options);
    world = instrument->world();
    worldTime = std::make_shared<WorldRateSleeper>(electronicsClock, world->clock());
    bus = instrument->positionerAs<Simulators::SimulatedSmartMotorBus>();
    ASSERT_TRUE(bus);

    robot = Robot::make<DropwrightIIb>(store, systemClock(), std::make_shared<Testing::NoPauses>());
    robot->setSerialPort(robot->retrieveSerialPort(instrument->opener()));
    robot->readAndStoreCurrentPosition();

    electronics = std::make_shared<Electronics>(store, ElectronicsTiming{electronicsClock, worldTime});
    electronics->setSerialPort(instrument->openPort(properties(SerialPortType::electronics)));
    electronics->setHardwareGeneration(ElectronicsHardwareGeneration::redesign2016);
    printingElectronics = std::make_unique<ElectronicsForPrinting>(*electronics, worldTime);

    relay->setSerialPort(instrument->openPort(properties(SerialPortType::relay)));
}

void PrintingInstrumentFixture::sampleReferenceStatistics() {
    instrument->electronics()->setMeasurementNoise(2.0, 0.002, 11);
    sampleDispenserReferenceStatistics(*electronics);
}

void PrintingInstrumentFixture::TearDown() {
    if (robot) {
        robot->disconnectFromSerialPort();
    }
    printingElectronics.reset();
    electronics.reset();
    if (instrument) {
        instrument->closePorts();
    }
    relay->setSerialPort(nullptr);
    robot.reset();
    instrument.reset();
}

} // namespace Dotfield::testing
