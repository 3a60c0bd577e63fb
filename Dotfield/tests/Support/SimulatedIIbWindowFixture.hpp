#pragma once
// A window test on the whole simulated instrument with the DropwrightIIb:
// the SmartMotor bus moves the world faster than real time, the robot is the
// application's IIb model over the real serial link, and the main queue is
// bound to Qt's event loop, so a window serves events while the robot works.
// Errors handed to the error handler are collected. Windows are made by the
// test and must go before the fixture's end. The test program's main
// (WindowTestsMain.cpp) makes the QApplication.

#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/Clock.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Robotics/Models/DropwrightIIb.hpp"
#include "Dotfield/tests/Support/SimulatedInstrumentBuilder.hpp"
#include "simulators/instrument/Positioners/SmartMotor/SimulatedSmartMotorBus.hpp"

class QPushButton;
class QWidget;

namespace Dotfield::testing {

class SimulatedIIbWindowFixture : public ::testing::Test {
  protected:
    static constexpr double worldRate = 20.0;

    SimulatedIIbWindowFixture();
    ~SimulatedIIbWindowFixture() override;

    // Builds the instrument from `options` (change them in the test's
    // constructor) and the robot over it, not yet connected.
    void SetUp() override;
    void TearDown() override;

    // Opens the robot's link and reads its position (as the application does
    // on the robot's queue), then tells the movement observers it is idle.
    void connectRobot();
    // Serves Qt events until the condition holds; false after the time-out.
    static bool waitUntil(const std::function<bool()>& condition);
    // Waits until the robot's queue has run everything queued so far and the
    // main thread has run what that posted.
    void waitForRobotQueue();
    // Clicks the button, which must be enabled, as the operator would.
    static void click(QPushButton* button);
    // The error handler the windows are given, and what it received.
    std::function<void(std::exception_ptr)> errorHandler();
    std::vector<std::exception_ptr> errors() const;
    // Grabs the window into screenshots/<name>.png and answers how many dark
    // (text) pixels the grab shows where the child widget lies.
    static int saveScreenshot(QWidget& window, const std::string& name, const QWidget& child);
    // Opens a link with the tests' timing; it is closed at the end of the test.
    std::shared_ptr<SerialPort> openPort(const SerialPortProperties& properties);

    Simulators::SimulatedInstrumentOptions options =
        Testing::SimulatedInstrumentBuilder("IIb").worldRate(worldRate).withoutSurface().options();
    std::unique_ptr<Testing::TestInstrument> instrument;
    std::shared_ptr<Simulators::InstrumentWorld> world;
    std::shared_ptr<Simulators::SimulatedSmartMotorBus> bus;
    std::shared_ptr<UserDefaults> store = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    std::shared_ptr<DropwrightIIb> robot;

  private:
    std::shared_ptr<MainThreadBinding> previousBinding_;
    mutable std::mutex errorsMutex_;
    std::vector<std::exception_ptr> errors_;
};

} // namespace Dotfield::testing
