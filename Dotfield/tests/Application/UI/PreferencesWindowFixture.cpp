#include "Dotfield/tests/Application/UI/PreferencesWindowFixture.hpp"

#include <filesystem>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Platform/Qt/QtMainThreadBinding.hpp"
#include "Dotfield/Robotics/RobotConnection.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"
#include "Dotfield/tests/Support/RobotModels.hpp"

// Fontconfig keeps a cache for the life of a process that draws text; the
// leak checker would report it when the process ends. It is not ours to free.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace Dotfield::testing {

void ScriptedAuthorizer::requestAuthorization(std::function<void(bool granted)> completion) {
    const bool granted =
        static_cast<std::size_t>(requests) < answers.size() && answers[static_cast<std::size_t>(requests)];
    ++requests;
    auto answer = [completion = std::move(completion), granted] {
        MainQueue::main().async([completion, granted] { completion(granted); });
    };
    if (holdAnswers) {
        held_.push_back(std::move(answer));
    } else {
        answer();
    }
}

void ScriptedAuthorizer::release() {
    for (const auto& answer : held_) {
        answer();
    }
    held_.clear();
}

PreferencesWindowFixture::PreferencesWindowFixture(std::string modelName)
    : model(std::move(modelName)),
      options(Testing::SimulatedInstrumentBuilder(model).worldRate(worldRate).withoutSurface().options()) {
    previousBinding_ = MainQueue::main().bind(std::make_shared<QtMainThreadBinding>());
}

PreferencesWindowFixture::~PreferencesWindowFixture() {
    MainQueue::main().bind(previousBinding_);
}

void PreferencesWindowFixture::SetUp() {
    instrument = std::make_unique<Testing::TestInstrument>(options);
    world = instrument->world();
    robot = Testing::makeRobotModel(model, store);
    bus = instrument->positionerAs<Simulators::SimulatedSmartMotorBus>();
    if (bus) {
        try {
            initializeConnectionToRobot(*robot, instrument->opener());
        } catch (const RoboticsError& error) {
            ASSERT_EQ(error.kind(), RoboticsError::Kind::needsToHome);
        }
        bus->clearTranscript();
    }
    window = std::make_unique<PreferencesWindowController>(authorizer);
    window->setErrorHandler([this](std::exception_ptr error) {
        std::lock_guard lock(errorsMutex_);
        errors_.push_back(std::move(error));
    });
    window->setRobot(robot);
    window->observeRobotReadiness();
    window->show();
    ASSERT_TRUE(waitUntil([this] { return window->robotReadyToMove(); }));
}

void PreferencesWindowFixture::TearDown() {
    if (robot) {
        waitForRobotQueue();
    }
    window.reset();
    if (robot) {
        robot->disconnectFromSerialPort();
    }
    if (instrument) {
        instrument->closePorts();
    }
    robot.reset();
    QCoreApplication::processEvents();
    instrument.reset();
}

bool PreferencesWindowFixture::waitUntil(const std::function<bool()>& condition) {
    return Dotfield::Testing::eventually(condition, [] { QTest::qWait(1); });
}

void PreferencesWindowFixture::waitForRobotQueue() {
    bool drained = false;
    robot->serialDispatchQueue().async(
        [&drained] { MainQueue::main().async([&drained] { drained = true; }); });
    EXPECT_TRUE(waitUntil([&drained] { return drained; }));
    QCoreApplication::processEvents();
}

std::vector<std::exception_ptr> PreferencesWindowFixture::errors() const {
    std::lock_guard lock(errorsMutex_);
    return errors_;
}

QLineEdit& PreferencesWindowFixture::field(const char* name) const {
    auto* found = window->findChild<QLineEdit*>(name);
    EXPECT_NE(found, nullptr) << name;
    return *found;
}

void PreferencesWindowFixture::type(const char* name, const QString& text) {
    QLineEdit& edited = field(name);
    edited.setFocus();
    edited.selectAll();
    QTest::keyClick(&edited, Qt::Key_Backspace);
    QTest::keyClicks(&edited, text);
    QTest::keyClick(&edited, Qt::Key_Return);
}

void PreferencesWindowFixture::unlock() {
    authorizer->answers.push_back(true);
    QTest::mouseClick(window->unlockButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([this] { return window->userAuthenticated(); }));
}

int PreferencesWindowFixture::saveScreenshot(const std::string& name, const QWidget& child) {
    std::filesystem::create_directories(DOTFIELD_SCREENSHOT_DIR);
    const std::string path = std::string(DOTFIELD_SCREENSHOT_DIR) + "/" + name + ".png";
    const QImage image = window->grab().toImage();
    EXPECT_TRUE(image.save(QString::fromStdString(path), "PNG")) << path;
    const QRect area(child.mapTo(window.get(), QPoint(0, 0)), child.size());
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            dark += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
        }
    }
    return dark;
}

} // namespace Dotfield::testing
