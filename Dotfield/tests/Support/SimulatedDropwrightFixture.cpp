#include "Dotfield/tests/Support/SimulatedDropwrightFixture.hpp"

#include <string>

#include "Dotfield/Robotics/RobotConnection.hpp"
#include "Dotfield/tests/Support/TestTiming.hpp"

namespace Dotfield::testing {

void SimulatedDropwrightFixture::SetUp() {
    instrument = std::make_unique<Testing::TestInstrument>(options);
    world = instrument->world();
    positioner = instrument->positionerAs<Simulators::SimulatedGenericPositioner>();
    ASSERT_TRUE(positioner);
    robot = Robot::make<GenericPositionerRobot>(store);
}

void SimulatedDropwrightFixture::TearDown() {
    Testing::releaseRobotAndInstrument(robot, instrument);
}

SerialPortTiming SimulatedDropwrightFixture::shortTiming() {
    return Testing::serialPortTiming();
}

std::shared_ptr<SerialPort> SimulatedDropwrightFixture::openPort(const SerialPortProperties& properties) {
    return instrument->openPort(properties);
}

Robot::SerialPortOpener SimulatedDropwrightFixture::opener() {
    return instrument->opener();
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
