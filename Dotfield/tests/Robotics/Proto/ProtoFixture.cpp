#include "Dotfield/tests/Robotics/Proto/ProtoFixture.hpp"

#include <algorithm>

namespace Dotfield::testing {

void ProtoFixture::SetUp() {
    instrument = std::make_unique<Testing::TestInstrument>(options);
    world = instrument->world();
    controllers = instrument->positionerAs<Controllers>();
    ASSERT_TRUE(controllers);
    robot = Robot::make<DropwrightProto>(store, robotClock);
}

void ProtoFixture::TearDown() {
    Testing::releaseRobotAndInstrument(robot, instrument);
}

std::shared_ptr<SerialPort> ProtoFixture::openPort() {
    return instrument->openPort({DropwrightProto::portName, DropwrightProto::baudRate, false});
}

Robot::SerialPortOpener ProtoFixture::opener() {
    return instrument->opener();
}

void ProtoFixture::connect() {
    robot->retrieveSerialPort(opener());
}

void ProtoFixture::remakeRobot(std::shared_ptr<Clock> clock) {
    const auto link = robot->serialPort();
    robot = Robot::make<DropwrightProto>(store, std::move(clock));
    robot->setSerialPort(link);
}

std::size_t ProtoFixture::indexOf(const Command& command) const {
    const auto transcript = controllers->transcript();
    return static_cast<std::size_t>(std::find(transcript.begin(), transcript.end(), command) - transcript.begin());
}

} // namespace Dotfield::testing
