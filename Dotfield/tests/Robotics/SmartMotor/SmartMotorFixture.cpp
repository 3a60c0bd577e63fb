#include "Dotfield/tests/Robotics/SmartMotor/SmartMotorFixture.hpp"

#include "Dotfield/Robotics/Models/DropwrightIIb.hpp"

namespace Dotfield::testing {

SmartMotorFixture::SmartMotorFixture(std::string modelName)
    : model(std::move(modelName)),
      options(Testing::SimulatedInstrumentBuilder(model).worldRate(worldRate).withoutSurface().options()) {}

void SmartMotorFixture::SetUp() {
    instrument = std::make_unique<Testing::TestInstrument>(options);
    world = instrument->world();
    bus = instrument->positionerAs<Bus>();
    ASSERT_TRUE(bus);
    if (model == "IIa") {
        robot = Robot::make<DropwrightIIa>(store, systemClock(), sleeper);
    } else {
        robot = Robot::make<DropwrightIIb>(store, systemClock(), sleeper);
    }
}

void SmartMotorFixture::TearDown() {
    Testing::releaseRobotAndInstrument(robot, instrument);
}

std::shared_ptr<SerialPort> SmartMotorFixture::openPort(std::uint32_t baudRate) {
    return instrument->openPort({DropwrightIIa::portName, baudRate, false});
}

Robot::SerialPortOpener SmartMotorFixture::opener() {
    return instrument->opener();
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
