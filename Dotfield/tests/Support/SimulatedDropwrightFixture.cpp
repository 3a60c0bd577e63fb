#include "Dotfield/tests/Support/SimulatedDropwrightFixture.hpp"

#include <chrono>
#include <string>

#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"
#include "Dotfield/Robotics/RobotConnection.hpp"
#include "Dotfield/tests/Support/TestTiming.hpp"

namespace Dotfield::testing {

SimulatedDropwrightFixture::SimulatedDropwrightFixture() {
    options.positionerModel = std::string(Simulators::genericPositionerModel);
    options.clock = std::make_shared<Simulators::RealTimeWorldClock>(worldRate);
    options.start = Simulators::WorldPoint{0.0, 0.0, 0.0};
    options.surface = std::nullopt;
}

void SimulatedDropwrightFixture::SetUp() {
    instrument = std::make_unique<Simulators::SimulatedDropwright>(options);
    world = instrument->world();
    positioner = std::dynamic_pointer_cast<Simulators::SimulatedGenericPositioner>(instrument->positioner());
    ASSERT_TRUE(positioner);
    robot = Robot::make<GenericPositionerRobot>(store);
}

void SimulatedDropwrightFixture::TearDown() {
    if (robot) {
        robot->disconnectFromSerialPort();
    }
    for (const auto& port : ports_) {
        port->closeSerialPort();
    }
    robot.reset();
    instrument.reset();
}

SerialPortTiming SimulatedDropwrightFixture::shortTiming() {
    return Dotfield::Testing::serialPortTiming();
}

std::shared_ptr<SerialPort> SimulatedDropwrightFixture::openPort(const SerialPortProperties& properties) {
    auto port = openSerialPort(properties.portName, properties.baudRate, properties.evenParity, shortTiming());
    ports_.push_back(port);
    return port;
}

Robot::SerialPortOpener SimulatedDropwrightFixture::opener() {
    return [](const SerialPortProperties& properties) {
        return openSerialPort(properties.portName, properties.baudRate, properties.evenParity, shortTiming());
    };
}

void SimulatedDropwrightFixture::connectRobot() {
    initializeConnectionToRobot(*robot, opener());
}

std::vector<std::string> SimulatedDropwrightFixture::positionerCommands() const {
    std::vector<std::string> lines;
    for (const auto& command : positioner->commands()) {
        lines.push_back(command.line);
    }
    return lines;
}

} // namespace Dotfield::testing
