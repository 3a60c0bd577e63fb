// The relay controls window through its widgets on the simulated relay box.

#include <atomic>
#include <memory>
#include <thread>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include "Dotfield/Application/Humidity/HumidityPollingLoop.hpp"
#include "Dotfield/Application/UI/RelayControlsWindowController.hpp"
#include "Dotfield/Instrument/Errors/RelayError.hpp"
#include "Dotfield/Instrument/Humidity/HumiditySensor.hpp"
#include "Dotfield/Instrument/Relay/Relay.hpp"
#include "Dotfield/tests/Application/UI/DeviceWindowFixture.hpp"

using namespace Dotfield;
using RelayCommand = Simulators::SimulatedRelayBox::Command;

namespace {

class RelayControlsWindowTest : public Dotfield::testing::DeviceWindowFixture {
  protected:
    void SetUp() override {
        DeviceWindowFixture::SetUp();
        controller = std::make_unique<RelayControlsWindowController>(store);
        controller->relay()->setSerialPort(openPort(properties(SerialPortType::relay)));
        controller->setErrorHandler([this](std::exception_ptr) { ++errorHandlerCalls; });
        window = controller->window();
        window->show();
        button = window->findChild<QPushButton*>("relayButton");
        ASSERT_NE(button, nullptr);
    }

    void TearDown() override {
        // Let queued switches finish before the link closes.
        controller->relay()->serialDispatchQueue().sync([] {});
        controller.reset();
        DeviceWindowFixture::TearDown();
    }

    // Presses the button and waits until the relay's queue has run the switch
    // and the main thread has shown its outcome.
    void press() {
        QTest::mouseClick(button, Qt::LeftButton);
        controller->relay()->serialDispatchQueue().sync([] {});
        mainThread.pump().runPending();
    }

    QLineEdit* field(const char* name) const { return window->findChild<QLineEdit*>(name); }

    std::unique_ptr<RelayControlsWindowController> controller;
    QWidget* window = nullptr;
    QPushButton* button = nullptr;
    std::atomic<int> errorHandlerCalls{0};
};

} // namespace

TEST_F(RelayControlsWindowTest, TheButtonSwitchesToTheOppositeOfTheKnownStateAndNamesTheNextAction) {
    EXPECT_EQ(button->text(), "Manually close relay");
    press();
    EXPECT_TRUE(instrument->relayBox()->isClosed());
    EXPECT_EQ(button->text(), "Manually open relay");

    // A stuck contact: one error per press, the title stays.
    instrument->relayBox()->setStuck(true);
    press();
    press();
    EXPECT_EQ(errorHandlerCalls.load(), 2);
    EXPECT_EQ(button->text(), "Manually open relay");
    EXPECT_EQ(instrument->relayBox()->commands(),
              (std::vector<RelayCommand>{RelayCommand::close, RelayCommand::query, RelayCommand::open,
                                         RelayCommand::query, RelayCommand::open, RelayCommand::query}));
    instrument->relayBox()->setStuck(false);

    const QImage image = grabAndSave(window, "relay-controls-window");
    EXPECT_FALSE(image.isNull());
    EXPECT_TRUE(containsColour(image, QColor(Qt::black))) << "the window's text is drawn";
}

// The humidity rule opens the relay that the button closed: the button then
// offers to close it again.
TEST_F(RelayControlsWindowTest, TheTitleFollowsTheHumidityRule) {
    press();
    ASSERT_EQ(button->text(), "Manually open relay");
    store->setDouble(40.0, "minHumidity");
    store->setDouble(45.0, "maxHumidity");
    instrument->humiditySensor()->setReading(21.0, 50.0);
    auto loop = std::make_shared<HumidityPollingLoop>(HumiditySensor::connectToHumiditySensor(), *store,
                                                      HumidityPollingLoop::Handlers{});
    loop->setRelay(controller->relay());
    std::thread thread([&loop] { loop->run(); });
    const bool opened = pumpUntil([&] { return !instrument->relayBox()->isClosed(); });
    loop->stopReading();
    thread.join();
    ASSERT_TRUE(opened);
    EXPECT_TRUE(pumpUntil([&] { return button->text() == "Manually close relay"; }));
}

TEST_F(RelayControlsWindowTest, FieldsStoreTheValueAndRefuseWhatIsOutOfRange) {
    EXPECT_EQ(controller->uvCuringMode(), std::nullopt) << "curing type none";
    type(field("positionOffsetForX"), "1000");
    EXPECT_EQ(store->doubleForKey("offsetForX"), 1000.0);
    EXPECT_EQ(field("positionOffsetForX")->text(), "1000.0");

    struct Refused {
        const char* field;
        const char* key;
        const char* entry;
        const char* shown;
    };
    for (const auto& [name, key, entry, shown] : {Refused{"xSpeed", "speedForX", "0", "1000.0"},
                                                  Refused{"zSpeed", "speedForZ", "-5", "10000.0"},
                                                  Refused{"duration", "curingDuration", "3600.5", "1000.0"},
                                                  Refused{"positionOffsetForY", "offsetForY", "inf", "0.0"},
                                                  Refused{"positionOffsetForZ", "offsetForZ", "1,5", "0.0"}}) {
        type(field(name), entry);
        EXPECT_EQ(field(name)->text(), shown) << name << " " << entry;
        EXPECT_EQ(store->doubleForKey(key), std::nullopt) << name << " " << entry;
    }

    type(field("positionOffsetForZ"), "500");
    type(field("duration"), "3");
    window->findChild<QComboBox*>("curingOptions")->setCurrentIndex(2);
    EXPECT_EQ(store->integerForKey("selectedUVCuringType"), 2);
    EXPECT_EQ(controller->settings().offset(), (VeltranePatterns::Coordinate{1000.0, 0.0, 500.0}));
    EXPECT_EQ(controller->settings().value(UVCuringSettings::Field::curingDuration), 3.0);
    const auto mode = controller->uvCuringMode();
    ASSERT_TRUE(mode.has_value());
    EXPECT_EQ(mode->kind, UVCuringPatternMode::Kind::afterEachSolution);
    EXPECT_EQ(mode->relay, controller->relay());
    EXPECT_EQ(mode->offset, (VeltranePatterns::Coordinate{1000.0, 0.0, 500.0}));
    EXPECT_EQ(mode->duration, 3.0);
}

TEST(UVCuringSettings, DefaultsAndAStoredCuringTypeOutsideTheMenuReadsAsNone) {
    auto store = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    store->setInteger(7, "selectedUVCuringType");
    const UVCuringSettings settings(store);
    EXPECT_EQ(settings.curingTypeRawValue(), 0);
    EXPECT_EQ(settings.offset(), (VeltranePatterns::Coordinate{0.0, 0.0, 0.0}));
    EXPECT_EQ(settings.value(UVCuringSettings::Field::speedForX), 1000.0);
    EXPECT_EQ(settings.value(UVCuringSettings::Field::speedForY), 1000.0);
    EXPECT_EQ(settings.value(UVCuringSettings::Field::speedForZ), 10000.0);
    EXPECT_EQ(settings.value(UVCuringSettings::Field::curingDuration), 1000.0);
}
