#include "Dotfield/tests/Printing/UI/IIbInstrumentFixture.hpp"

#include <chrono>
#include <cstdlib>

#include "Dotfield/tests/Support/Eventually.hpp"
#include "Dotfield/tests/Support/RobotModels.hpp"

namespace PrintControlTests {

void IIbInstrumentFixture::SetUp() {
    instrument = std::make_unique<Dotfield::Testing::TestInstrument>(options);
    world = instrument->world();
    bus = instrument->positionerAs<Simulators::SimulatedSmartMotorBus>();
    ASSERT_TRUE(bus);
    robot = Dotfield::Robot::make<Dotfield::DropwrightIIb>(store, Dotfield::systemClock(),
                                                           std::make_shared<Dotfield::Testing::NoPauses>());
    robot->setSerialPort(robot->retrieveSerialPort(opener()));
    ASSERT_TRUE(robot->serialPort());
    robot->readAndStoreCurrentPosition();
}

void IIbInstrumentFixture::TearDown() {
    if (robot) {
        waitForRobotQueue();
        robot->disconnectFromSerialPort();
    }
    if (instrument) {
        instrument->closePorts();
    }
    robot.reset();
    instrument.reset();
}

Dotfield::Robot::SerialPortOpener IIbInstrumentFixture::opener() {
    return instrument->opener();
}

bool IIbInstrumentFixture::pumpUntil(const std::function<bool()>& condition) {
    return mainThread.pump().runUntil(condition, Dotfield::Testing::eventuallyLimit);
}

void IIbInstrumentFixture::waitForRobotQueue() {
    auto drained = std::make_shared<std::atomic<bool>>(false);
    robot->serialDispatchQueue().async([drained] { drained->store(true); });
    pumpUntil([&] { return drained->load(); });
    mainThread.pump().runPending();
}

QImage grabToPNG(QWidget& widget, const std::string& name) {
    const std::filesystem::path folder = DOTFIELD_SCREENSHOT_DIR;
    std::filesystem::create_directories(folder);
    QImage image = widget.grab().toImage();
    image.save(QString::fromStdString((folder / (name + ".png")).string()));
    return image;
}

std::filesystem::path testFolder(const std::string& name) {
    const char* output = std::getenv("DOTFIELD_TEST_OUTPUT");
    std::filesystem::path folder = std::filesystem::path(output ? output : "test-output") / "PrintControl" / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

} // namespace PrintControlTests
