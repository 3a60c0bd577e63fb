#include "Dotfield/tests/Robotics/Gilson/GilsonFixture.hpp"

#include <algorithm>
#include <cstdlib>

#include "Dotfield/tests/Support/Eventually.hpp"
#include "Dotfield/tests/Support/TestTiming.hpp"

namespace Dotfield::testing {

namespace {

// Console messages go to standard error only with diagnostics on; the switch
// is read once, so it is set before any test runs.
const bool diagnosticsOn = [] {
    setenv("DOTFIELD_DIAGNOSTICS", "1", 1);
    return true;
}();

} // namespace

GilsonFixture::GilsonFixture() {
    (void)diagnosticsOn;
}

void GilsonFixture::SetUp() {
    instrument = std::make_unique<Testing::TestInstrument>(options);
    world = instrument->world();
    controller = instrument->positionerAs<Controller>();
    ASSERT_TRUE(controller);
    makeRobot();
}

void GilsonFixture::TearDown() {
    Testing::releaseRobotAndInstrument(robot, instrument);
}

void GilsonFixture::makeRobot() {
    robot = Robot::make<DropwrightDesktop>(store, systemClock(), pauses);
}

std::shared_ptr<SerialPort> GilsonFixture::openPort(std::shared_ptr<Clock> clock) {
    auto timing = Testing::serialPortTiming();
    if (clock) {
        timing.clock = std::move(clock);
    }
    return instrument->openPort({"Dual RS232 B", Controller::baudRate, true}, timing);
}

Robot::SerialPortOpener GilsonFixture::opener() {
    return instrument->opener();
}

void GilsonFixture::connect() {
    robot->setSerialPort(robot->retrieveSerialPort(opener()));
}

std::vector<std::uint8_t> GilsonFixture::bytesSince(std::size_t count) const {
    const std::vector<std::uint8_t> all = controller->bytesFromHost();
    return std::vector<std::uint8_t>(all.begin() + static_cast<std::ptrdiff_t>(std::min(count, all.size())),
                                     all.end());
}

std::size_t GilsonFixture::occurrences(const std::vector<std::uint8_t>& bytes,
                                       const std::vector<std::uint8_t>& part) {
    std::size_t count = 0;
    for (auto at = bytes.begin();
         (at = std::search(at, bytes.end(), part.begin(), part.end())) != bytes.end(); ++at) {
        ++count;
    }
    return count;
}

std::vector<std::string> GilsonFixture::bufferedCommands() const {
    std::vector<std::string> commands;
    for (const std::string& entry : controller->transcript()) {
        if (entry.starts_with("buffered ")) {
            commands.push_back(entry.substr(9));
        }
    }
    return commands;
}

void GilsonFixture::waitForWorldToStand() const {
    ASSERT_TRUE(Testing::eventually([&] {
        return !world->axis(Simulators::WorldAxis::x).moving && !world->axis(Simulators::WorldAxis::y).moving &&
               !world->axis(Simulators::WorldAxis::z).moving;
    })) << "an axis still moves";
}

} // namespace Dotfield::testing
