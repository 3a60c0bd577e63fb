#include "Dotfield/tests/Support/SimulatedIIbWindowFixture.hpp"

#include <filesystem>

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Platform/Qt/QtMainThreadBinding.hpp"
#include "Dotfield/Robotics/RobotConnection.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"
#include "Dotfield/tests/Support/RobotModels.hpp"

// Fontconfig keeps a cache for the life of a process that draws text; the
// leak checker would report it when the process ends. It is not ours to free.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace Dotfield::testing {

SimulatedIIbWindowFixture::SimulatedIIbWindowFixture() {
    previousBinding_ = MainQueue::main().bind(std::make_shared<QtMainThreadBinding>());
}

SimulatedIIbWindowFixture::~SimulatedIIbWindowFixture() {
    MainQueue::main().bind(previousBinding_);
}

void SimulatedIIbWindowFixture::SetUp() {
    instrument = std::make_unique<Testing::TestInstrument>(options);
    world = instrument->world();
    bus = instrument->positionerAs<Simulators::SimulatedSmartMotorBus>();
    ASSERT_TRUE(bus);
    robot = Robot::make<DropwrightIIb>(store, systemClock(), std::make_shared<Testing::NoPauses>());
}

void SimulatedIIbWindowFixture::TearDown() {
    if (robot) {
        waitForRobotQueue();
        robot->disconnectFromSerialPort();
    }
    if (instrument) {
        instrument->closePorts();
    }
    robot.reset();
    QCoreApplication::processEvents();
    instrument.reset();
}

std::shared_ptr<SerialPort> SimulatedIIbWindowFixture::openPort(const SerialPortProperties& properties) {
    return instrument->openPort(properties);
}

void SimulatedIIbWindowFixture::connectRobot() {
    try {
        initializeConnectionToRobot(*robot, instrument->opener());
    } catch (const RoboticsError& error) {
        // A positioner that must be homed first keeps its link and position.
        ASSERT_EQ(error.kind(), RoboticsError::Kind::needsToHome);
    }
    robot->notifyMovementFinished();
    QCoreApplication::processEvents();
}

bool SimulatedIIbWindowFixture::waitUntil(const std::function<bool()>& condition) {
    return Dotfield::Testing::eventually(condition, [] { QTest::qWait(1); });
}

void SimulatedIIbWindowFixture::waitForRobotQueue() {
    bool drained = false;
    robot->serialDispatchQueue().async([&drained] { MainQueue::main().async([&drained] { drained = true; }); });
    EXPECT_TRUE(waitUntil([&drained] { return drained; }));
    QCoreApplication::processEvents();
}

void SimulatedIIbWindowFixture::click(QPushButton* button) {
    ASSERT_TRUE(button->isEnabled()) << button->objectName().toStdString();
    QTest::mouseClick(button, Qt::LeftButton);
}

std::function<void(std::exception_ptr)> SimulatedIIbWindowFixture::errorHandler() {
    return [this](std::exception_ptr error) {
        std::lock_guard lock(errorsMutex_);
        errors_.push_back(std::move(error));
    };
}

std::vector<std::exception_ptr> SimulatedIIbWindowFixture::errors() const {
    std::lock_guard lock(errorsMutex_);
    return errors_;
}

int SimulatedIIbWindowFixture::saveScreenshot(QWidget& window, const std::string& name, const QWidget& child) {
    std::filesystem::create_directories(DOTFIELD_SCREENSHOT_DIR);
    const std::string path = std::string(DOTFIELD_SCREENSHOT_DIR) + "/" + name + ".png";
    const QImage image = window.grab().toImage();
    EXPECT_TRUE(image.save(QString::fromStdString(path), "PNG")) << path;
    const QRect area(child.mapTo(&window, QPoint(0, 0)), child.size());
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            dark += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
        }
    }
    return dark;
}

} // namespace Dotfield::testing
