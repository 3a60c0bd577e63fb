#include "Dotfield/tests/Printing/UI/IIbInstrumentFixture.hpp"

#include <chrono>
#include <cstdlib>

#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortTiming.hpp"
#include "Dotfield/tests/Support/TestTiming.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

namespace PrintControlTests {

namespace {

// The robot does not really wait for homing and tuning pauses.
class NoSleeper final : public Dotfield::Sleeper {
  public:
    using Sleeper::sleep;
    void sleep(Dotfield::Clock::Duration) override {}
};

Dotfield::SerialPortTiming shortTiming() {
    return Dotfield::Testing::serialPortTiming();
}

} // namespace

IIbInstrumentFixture::IIbInstrumentFixture() {
    options.positionerModel = "IIb";
    options.clock = std::make_shared<Simulators::RealTimeWorldClock>(worldRate);
    options.start = Simulators::WorldPoint{10000.0, 10000.0, 60000.0};
}

void IIbInstrumentFixture::SetUp() {
    instrument = std::make_unique<Simulators::SimulatedDropwright>(options);
    world = instrument->world();
    bus = std::dynamic_pointer_cast<Simulators::SimulatedSmartMotorBus>(instrument->positioner());
    ASSERT_TRUE(bus);
    robot = Dotfield::Robot::make<Dotfield::DropwrightIIb>(store, Dotfield::systemClock(),
                                                           std::make_shared<NoSleeper>());
    robot->setSerialPort(robot->retrieveSerialPort(opener()));
    ASSERT_TRUE(robot->serialPort());
    robot->readAndStoreCurrentPosition();
}

void IIbInstrumentFixture::TearDown() {
    if (robot) {
        waitForRobotQueue();
        robot->disconnectFromSerialPort();
    }
    for (const auto& port : ports_) {
        port->closeSerialPort();
    }
    robot.reset();
    instrument.reset();
}

Dotfield::Robot::SerialPortOpener IIbInstrumentFixture::opener() {
    return [this](const Dotfield::SerialPortProperties& properties) {
        auto port = Dotfield::openSerialPort(properties.portName, properties.baudRate, properties.evenParity,
                                             shortTiming());
        ports_.push_back(port);
        return port;
    };
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
