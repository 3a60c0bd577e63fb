// The dispenser controls window through its widgets on the simulated
// electronics: timed dispenses and sprays, cancelling, failures at the
// switch-off, the drive values and the advanced panel.

#include <climits>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include "Dotfield/Application/UI/DispenserControlsWindowController.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/tests/Application/UI/DeviceWindowFixture.hpp"
#include "simulators/peers/ReplyFault.hpp"

using namespace Dotfield;
using Relay = Simulators::SimulatedElectronics::RelayPosition;

namespace {

// Each sleep moves a manual clock on; the sleep numbered `holdAt` waits
// until the test lets it go, so the test can act while a dispense waits.
class SteppedSleeper final : public Sleeper {
  public:
    explicit SteppedSleeper(std::shared_ptr<ManualClock> clock) : clock_(std::move(clock)) {}

    void sleep(Clock::Duration duration) override {
        std::unique_lock lock(mutex_);
        ++sleeps_;
        changed_.notify_all();
        changed_.wait(lock, [&] { return sleeps_ != holdAt_ || released_; });
        clock_->advance(duration);
    }
    void holdAt(int sleep) {
        std::lock_guard lock(mutex_);
        holdAt_ = sleep;
        released_ = false;
    }
    void waitUntilHeld() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return sleeps_ >= holdAt_; });
    }
    void release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    int sleeps() const {
        std::lock_guard lock(mutex_);
        return sleeps_;
    }

  private:
    std::shared_ptr<ManualClock> clock_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    int sleeps_ = 0;
    int holdAt_ = INT_MAX;
    bool released_ = false;
};

struct Output {
    std::chrono::steady_clock::time_point at;
    Relay relay;
    double volts;
    double frequencyHz;
};

class DispenserControlsWindowTest : public Dotfield::testing::DeviceWindowFixture {
  protected:
    void SetUp() override {
        DeviceWindowFixture::SetUp();
        peer = instrument->electronics();
        peer->setOutputListener([this](Relay relay, double volts, double frequencyHz) {
            std::lock_guard lock(outputsMutex);
            outputs.push_back({std::chrono::steady_clock::now(), relay, volts, frequencyHz});
        });
        electronics = std::make_shared<Electronics>(store);
        electronics->setHardwareGeneration(ElectronicsHardwareGeneration::redesign2016);
        electronics->setSerialPort(openPort(properties(SerialPortType::electronics)));
        electronics->setDispensingVoltage(5.0);
        electronics->setDispensingFrequency(Zovudidova::kilohertz(420.0));
    }

    void makeWindow(std::unique_ptr<ManualDispenserOperation> operation = nullptr) {
        controller = std::make_unique<DispenserControlsWindowController>(store, std::move(operation));
        controller->setElectronics(electronics);
        controller->setErrorHandler([this](std::exception_ptr) { ++errorHandlerCalls; });
        controller->observeElectronicsDispenserSettings();
        window = controller->window();
        window->show();
        dispensingButton = window->findChild<QPushButton*>("dispensingButton");
        sprayingButton = window->findChild<QPushButton*>("sprayingButton");
    }

    void makeWindowWithSteppedTime() {
        sleeper = std::make_shared<SteppedSleeper>(clock);
        makeWindow(std::make_unique<ManualDispenserOperation>(clock, sleeper));
    }

    void TearDown() override {
        if (controller) {
            pumpUntil([&] { return !controller->isOperationInProgress(); });
        }
        electronics->serialDispatchQueue().sync([] {});
        controller.reset();
        DeviceWindowFixture::TearDown();
    }

    QLineEdit* field(const char* name) const { return window->findChild<QLineEdit*>(name); }
    QString label(const char* name) const { return window->findChild<QLabel*>(name)->text(); }
    bool idle() const {
        return dispensingButton->text() == "Manually dispense" && sprayingButton->text() == "Manually spray";
    }
    std::vector<Output> outputsSoFar() {
        std::lock_guard lock(outputsMutex);
        return outputs;
    }

    std::shared_ptr<Simulators::SimulatedElectronics> peer;
    std::shared_ptr<Electronics> electronics;
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    std::shared_ptr<SteppedSleeper> sleeper;
    std::unique_ptr<DispenserControlsWindowController> controller;
    QWidget* window = nullptr;
    QPushButton* dispensingButton = nullptr;
    QPushButton* sprayingButton = nullptr;
    std::atomic<int> errorHandlerCalls{0};
    std::mutex outputsMutex;
    std::vector<Output> outputs;
};

} // namespace

// In real time: the generator drives the dispenser at the window's voltage
// and frequency for about the second asked, then the voltage drops to 0 and
// the relay goes back; the read-outs follow the electronics' reports.
TEST_F(DispenserControlsWindowTest, ADispenseDrivesTheDispenserForItsDuration) {
    makeWindow();
    EXPECT_EQ(field("dispensingDuration")->text(), "1.0");
    QTest::mouseClick(dispensingButton, Qt::LeftButton);
    EXPECT_EQ(dispensingButton->text(), "Cancel");
    EXPECT_EQ(sprayingButton->text(), "Cancel");
    ASSERT_TRUE(pumpUntil([&] { return idle(); }));

    const auto seen = outputsSoFar();
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front().relay, Relay::waveformGenerator);
    const auto driving = std::find_if(seen.begin(), seen.end(), [](const Output& o) {
        return o.relay == Relay::waveformGenerator && o.volts > 4.9 &&
               std::abs(o.frequencyHz - 420000.0) < 20.0;
    });
    ASSERT_NE(driving, seen.end()) << "5 V at 420 kHz through the generator";
    EXPECT_EQ(seen.back().relay, Relay::electronics);
    EXPECT_EQ(peer->voltage(), 0.0);
    const double seconds = std::chrono::duration<double>(seen.back().at - seen.front().at).count();
    EXPECT_GE(seconds, 0.95);
    EXPECT_LT(seconds, 1.6);
    EXPECT_EQ(errorHandlerCalls.load(), 0);
    EXPECT_TRUE(pumpUntil(
        [&] { return label("currentDispenserVoltageReadout") == "Current dispenser voltage: 0.0 V"; }));
    EXPECT_EQ(label("currentDispenserFrequencyReadout"), "Current dispenser frequency: 420.0 kHz");

    const QImage image = grabAndSave(window, "dispenser-controls-window");
    EXPECT_TRUE(containsColour(image, QColor(Qt::black))) << "the window's text is drawn";
}

// Cancel during the third 0.1 s wait: the dispense stops at that step and
// still switches the generator off.
TEST_F(DispenserControlsWindowTest, CancelStopsTheDispenseAtTheNextStep) {
    makeWindowWithSteppedTime();
    sleeper->holdAt(3);
    QTest::mouseClick(dispensingButton, Qt::LeftButton);
    sleeper->waitUntilHeld();
    QTest::mouseClick(sprayingButton, Qt::LeftButton); // either button cancels
    sleeper->release();
    ASSERT_TRUE(pumpUntil([&] { return idle(); }));
    EXPECT_EQ(sleeper->sleeps(), 3);
    EXPECT_EQ(peer->relay(), Relay::electronics);
    EXPECT_EQ(peer->voltage(), 0.0);
    EXPECT_EQ(errorHandlerCalls.load(), 0);
}

// The reply to the switch-off's voltage command is corrupted: one error,
// the window back to idle, and the dispenser left undriven anyway.
TEST_F(DispenserControlsWindowTest, AFailedSwitchOffIsReportedOnceAndTheDispenserIsLeftUndriven) {
    makeWindowWithSteppedTime();
    sleeper->holdAt(1);
    QTest::mouseClick(dispensingButton, Qt::LeftButton);
    sleeper->waitUntilHeld();
    ASSERT_EQ(peer->relay(), Relay::waveformGenerator);
    peer->queueReplyFault(Simulators::ReplyFault::corrupt(0));
    sleeper->release();
    ASSERT_TRUE(pumpUntil([&] { return idle(); }));
    EXPECT_EQ(errorHandlerCalls.load(), 1);
    EXPECT_EQ(peer->voltage(), 0.0);
    EXPECT_EQ(peer->relay(), Relay::electronics);
}

// A spray sweeps the drive frequency in 20 kHz steps around its centre and
// ends with the voltage at 0.
TEST_F(DispenserControlsWindowTest, ASpraySweepsAroundTheCentreAndEndsUndriven) {
    makeWindow();
    type(field("sprayingDuration"), "0.3");
    EXPECT_EQ(store->doubleForKey("sprayingDurationInSeconds"), 0.3);
    controller->settings().setSprayingFrequency(400.0);
    QTest::mouseClick(sprayingButton, Qt::LeftButton);
    ASSERT_TRUE(pumpUntil([&] { return idle(); }));

    std::vector<double> kilohertz;
    for (const auto& output : outputsSoFar()) {
        if (output.frequencyHz == 0.0) {
            continue; // before the first frequency command
        }
        const double value = std::round(output.frequencyHz / 100.0) / 10.0;
        if (kilohertz.empty() || kilohertz.back() != value) {
            kilohertz.push_back(value);
        }
    }
    ASSERT_GE(kilohertz.size(), 4u);
    for (std::size_t i = 1; i < kilohertz.size(); ++i) {
        EXPECT_NEAR(std::abs(kilohertz[i] - kilohertz[i - 1]), 20.0, 0.2) << i;
        EXPECT_LE(std::abs(kilohertz[i] - 400.0), 40.2) << i;
    }
    EXPECT_EQ(peer->voltage(), 0.0);
    EXPECT_EQ(peer->relay(), Relay::electronics);
    EXPECT_EQ(errorHandlerCalls.load(), 0);
}

TEST_F(DispenserControlsWindowTest, DriveValuesComeFromTheElectronicsAndOutOfRangeEntriesAreRefused) {
    makeWindow();
    EXPECT_EQ(field("dispensingVoltage")->text(), "5.0");
    EXPECT_EQ(label("dispensingVoltageReadout"), "5.0 V");
    EXPECT_EQ(label("dispensingFrequencyReadout"), "420.0 kHz");

    type(field("dispensingVoltage"), "25");
    EXPECT_EQ(field("dispensingVoltage")->text(), "5.0");
    EXPECT_EQ(electronics->dispensingVoltage(), 5.0);
    EXPECT_EQ(store->doubleForKey("dispensingVoltage"), 5.0);
    type(field("dispensingDuration"), "3601");
    EXPECT_EQ(field("dispensingDuration")->text(), "1.0");
    controller->showOrHideAdvancedOptions();
    const QString sprayingFrequency = field("sprayingFrequency")->text();
    for (const char* entry : {"0", "-400", "1e9"}) {
        type(field("sprayingFrequency"), entry);
        EXPECT_EQ(field("sprayingFrequency")->text(), sprayingFrequency) << entry;
    }
    EXPECT_EQ(store->doubleForKey("sprayingFrequency").value_or(0.0), sprayingFrequency.toDouble());

    type(field("sprayingVoltage"), "12.5");
    EXPECT_EQ(electronics->sprayingVoltage(), 12.5);
    EXPECT_EQ(store->doubleForKey("sprayingVoltage"), 12.5);
    EXPECT_EQ(label("sprayingVoltageReadout"), "12.5 V");

    // A resonance found by calibration (on the electronics' queue) becomes
    // both drive frequencies.
    const ImpedanceMeasurement resonance{.magnitude = 1000.0,
                                         .phase = 0.0,
                                         .measurementSettings = {.frequency = Zovudidova::kilohertz(437.5)}};
    electronics->serialDispatchQueue().sync([&] { electronics->updateResonantFrequency(resonance); });
    ASSERT_TRUE(pumpUntil([&] { return label("sprayingFrequencyReadout") == "437.5 kHz"; }));
    EXPECT_EQ(label("dispensingFrequencyReadout"), "437.5 kHz");
    EXPECT_EQ(electronics->dispensingFrequency().value(Zovudidova::FrequencyUnit::kilohertz), 437.5);
    EXPECT_EQ(store->doubleForKey("sprayingFrequency"), 437.5);

    controller.reset();
    electronics->updateResonantFrequency(resonance);
    EXPECT_NO_FATAL_FAILURE(mainThread.pump().runPending()) << "the receiver went with the window";
}

// The advanced panel grows the window downward by its own height, sits 20
// from the window's left and bottom edges, and hiding it restores the frame.
TEST_F(DispenserControlsWindowTest, TheAdvancedPanelGrowsTheWindowAtTheBottom) {
    makeWindow();
    const QRect start = window->geometry();
    auto* panel = window->findChild<QWidget*>("advancedOptionsView");
    EXPECT_EQ(panel, nullptr);
    QTest::mouseClick(window->findChild<QPushButton*>("advancedOptionsButton"), Qt::LeftButton);
    panel = window->findChild<QWidget*>("advancedOptionsView");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(window->geometry().top(), start.top());
    EXPECT_EQ(window->height(), start.height() + panel->height());
    EXPECT_EQ(panel->x(), 20);
    EXPECT_EQ(panel->geometry().bottom() + 1, window->height() - 20);
    grabAndSave(window, "dispenser-controls-window-advanced");
    controller->showOrHideAdvancedOptions();
    EXPECT_EQ(window->geometry(), start);
    controller->showOrHideAdvancedOptions();
    controller->showOrHideAdvancedOptions();
    EXPECT_EQ(window->geometry(), start);
}
