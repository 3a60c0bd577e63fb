#include "Dotfield/tests/Printing/Engine/PrintingInstrumentFixture.hpp"

#include <thread>

#include "Dotfield/Instrument/DispenserStatus/DispenserStatusPoll.hpp"
#include "Dotfield/Instrument/HelperFunctions/TimerTicks.hpp"
#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/Robotics/Models/DropwrightIIb.hpp"
#include "Dotfield/tests/Support/SampledDispenser.hpp"
#include "Dotfield/tests/Support/TestTiming.hpp"

namespace Dotfield::testing {

namespace {

SerialPortTiming shortTiming() {
    return Dotfield::Testing::serialPortTiming();
}

// Pauses of the robot's set-up (homing, tuning) are skipped.
class NoPauses final : public Sleeper {
  public:
    using Sleeper::sleep;
    void sleep(Clock::Duration) override {}
};

} // namespace

void WorldRateSleeper::sleep(Clock::Duration duration) {
    std::this_thread::sleep_for(std::chrono::duration_cast<Clock::Duration>(duration / rate_));
    clock_->advance(duration);
}

void PrintingInstrumentFixture::startStatusPoll() {
    startRepeatingTimer(*electronics, dispenserStatusPollInterval, dispenserStatusPollLeeway, [] {});
}

PrintingInstrumentFixture::PrintingInstrumentFixture() {
    options.positionerModel = "IIb";
    options.clock = std::make_shared<Simulators::RealTimeWorldClock>(worldRate);
    options.start = Simulators::WorldPoint{20000.0, 30000.0, 20000.0};
    options.surface = Simulators::SimulatedSurface::plane(3000.0, 0.01, -0.005);
}

void PrintingInstrumentFixture::SetUp() {
    instrument = std::make_unique<Simulators::SimulatedDropwright>(options);
    world = instrument->world();
    bus = std::dynamic_pointer_cast<Simulators::SimulatedSmartMotorBus>(instrument->positioner());
    ASSERT_TRUE(bus);

    robot = Robot::make<DropwrightIIb>(store, systemClock(), std::make_shared<NoPauses>());
    robot->setSerialPort(robot->retrieveSerialPort([this](const SerialPortProperties& properties) {
        auto port = openSerialPort(properties.portName, properties.baudRate, properties.evenParity, shortTiming());
        ports_.push_back(port);
        return port;
    }));
    robot->readAndStoreCurrentPosition();

    electronics = std::make_shared<Electronics>(store, ElectronicsTiming{electronicsClock, worldTime});
    const SerialPortProperties electronicsLink = properties(SerialPortType::electronics);
    auto electronicsPort = openSerialPort(electronicsLink.portName, electronicsLink.baudRate,
                                          electronicsLink.evenParity, shortTiming());
    ports_.push_back(electronicsPort);
    electronics->setSerialPort(electronicsPort);
    electronics->setHardwareGeneration(ElectronicsHardwareGeneration::redesign2016);
    printingElectronics = std::make_unique<ElectronicsForPrinting>(*electronics, worldTime);

    const SerialPortProperties relayLink = properties(SerialPortType::relay);
    auto relayPort =
        openSerialPort(relayLink.portName, relayLink.baudRate, relayLink.evenParity, shortTiming());
    ports_.push_back(relayPort);
    relay->setSerialPort(relayPort);
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
    for (const auto& port : ports_) {
        port->closeSerialPort();
    }
    relay->setSerialPort(nullptr);
    robot.reset();
    instrument.reset();
}

} // namespace Dotfield::testing
