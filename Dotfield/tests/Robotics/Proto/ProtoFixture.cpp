#include "Dotfield/tests/Robotics/Proto/ProtoFixture.hpp"

#include <algorithm>

#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortTiming.hpp"
#include "Dotfield/tests/Support/TestTiming.hpp"

namespace Dotfield::testing {

namespace {

// Short enough for the tests of silent controllers, long enough that a reply
// on a busy machine is not taken for a silence.
SerialPortTiming shortTiming() {
    return Dotfield::Testing::serialPortTiming();
}

} // namespace

ProtoFixture::ProtoFixture() {
    options.positionerModel = "Proto";
    options.clock = worldClock;
    options.surface = std::nullopt;
    options.start = Simulators::WorldPoint{0.0, 0.0, 0.0};
}

void ProtoFixture::SetUp() {
    instrument = std::make_unique<Simulators::SimulatedDropwright>(options);
    world = instrument->world();
    controllers = std::dynamic_pointer_cast<Controllers>(instrument->positioner());
    ASSERT_TRUE(controllers);
    robot = Robot::make<DropwrightProto>(store, robotClock);
}

void ProtoFixture::TearDown() {
    if (robot) {
        robot->disconnectFromSerialPort();
    }
    for (const auto& port : ports_) {
        port->closeSerialPort();
    }
    robot.reset();
    instrument.reset();
}

std::shared_ptr<SerialPort> ProtoFixture::openPort() {
    auto port = openSerialPort(DropwrightProto::portName, DropwrightProto::baudRate, false, shortTiming());
    ports_.push_back(port);
    return port;
}

Robot::SerialPortOpener ProtoFixture::opener() {
    return [this](const SerialPortProperties& properties) {
        auto port = openSerialPort(properties.portName, properties.baudRate, properties.evenParity, shortTiming());
        ports_.push_back(port);
        return port;
    };
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
