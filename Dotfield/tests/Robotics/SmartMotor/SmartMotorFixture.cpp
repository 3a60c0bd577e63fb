#include "Dotfield/tests/Robotics/SmartMotor/SmartMotorFixture.hpp"

#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"
#include "Dotfield/Robotics/Models/DropwrightIIb.hpp"
#include "Dotfield/tests/Support/TestTiming.hpp"

namespace Dotfield::testing {

namespace {

SerialPortTiming shortTiming() {
    return Dotfield::Testing::serialPortTiming();
}

} // namespace

SmartMotorFixture::SmartMotorFixture(std::string modelName) : model(std::move(modelName)) {
    options.positionerModel = model;
    options.clock = std::make_shared<Simulators::RealTimeWorldClock>(worldRate);
    options.surface = std::nullopt;
}

void SmartMotorFixture::SetUp() {
    instrument = std::make_unique<Simulators::SimulatedDropwright>(options);
    world = instrument->world();
    bus = std::dynamic_pointer_cast<Bus>(instrument->positioner());
    ASSERT_TRUE(bus);
    if (model == "IIa") {
        robot = Robot::make<DropwrightIIa>(store, systemClock(), sleeper);
    } else {
        robot = Robot::make<DropwrightIIb>(store, systemClock(), sleeper);
    }
}

void SmartMotorFixture::TearDown() {
    if (robot) {
        robot->disconnectFromSerialPort();
    }
    for (const auto& port : ports_) {
        port->closeSerialPort();
    }
    robot.reset();
    instrument.reset();
}

std::shared_ptr<SerialPort> SmartMotorFixture::openPort(std::uint32_t baudRate) {
    auto port = openSerialPort(DropwrightIIa::portName, baudRate, false, shortTiming());
    ports_.push_back(port);
    return port;
}

Robot::SerialPortOpener SmartMotorFixture::opener() {
    return [this](const SerialPortProperties& properties) {
        auto port = openSerialPort(properties.portName, properties.baudRate, properties.evenParity, shortTiming());
        ports_.push_back(port);
        return port;
    };
}

void SmartMotorFixture::connect() {
    robot->setSerialPort(robot->retrieveSerialPort(opener()));
}

std::vector<SmartMotorFixture::Command> SmartMotorFixture::commandsTo(int motor) const {
    std::vector<Command> commands;
    for (const Command& command : bus->transcript()) {
        if (command.motor == motor) {
            commands.push_back(command);
        }
    }
    return commands;
}

std::vector<std::string> SmartMotorFixture::textsTo(int motor) const {
    std::vector<std::string> texts;
    for (const Command& command : commandsTo(motor)) {
        texts.push_back(command.value ? command.command + "=" + std::to_string(*command.value) : command.command);
    }
    return texts;
}

} // namespace Dotfield::testing
