#pragma once
// The preferences window on the whole simulated instrument: the chosen
// positioner model's controller peer moves the world faster than real time,
// the robot is the application's model (the IIa and IIb connected over their
// real serial link; the Proto and the Desktop are not connected, their tests
// send nothing), and the main queue is bound to Qt's event loop. The window
// gets a scripted authorizer; errors handed to the error handler are collected.

#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Application/UI/PreferencesWindowController.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/Authorizer.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/tests/Support/SimulatedInstrumentBuilder.hpp"
#include "simulators/instrument/Positioners/SmartMotor/SimulatedSmartMotorBus.hpp"

class QLineEdit;
class QWidget;

namespace Dotfield::testing {

// Answers each request with the next of its answers (refusing when they run
// out), on the main queue as the real one does, and counts the requests.
class ScriptedAuthorizer final : public Authorizer {
  public:
    void requestAuthorization(std::function<void(bool granted)> completion) override;
    // Holds the answers back until release() (to see the window wait).
    bool holdAnswers = false;
    void release();
    std::vector<bool> answers;
    int requests = 0;

  private:
    std::vector<std::function<void()>> held_;
};

class PreferencesWindowFixture : public ::testing::Test {
  protected:
    static constexpr double worldRate = 20.0;

    // "IIa", "IIb", "Proto" or "Desktop".
    explicit PreferencesWindowFixture(std::string model);
    ~PreferencesWindowFixture() override;

    // Builds the instrument, the robot and the window (shown, readiness observed).
    void SetUp() override;
    void TearDown() override;

    // Serves Qt events until the condition holds; false after the time-out.
    static bool waitUntil(const std::function<bool()>& condition);
    // Waits until the robot's queue has run what was queued so far and the
    // main thread has run what that posted.
    void waitForRobotQueue();
    std::vector<std::exception_ptr> errors() const;
    // The window's text field of that name.
    QLineEdit& field(const char* name) const;
    // Replaces the field's text as typed and ends the editing with Return.
    void type(const char* name, const QString& text);
    void unlock();
    // Grabs the window into screenshots/<name>.png and answers how many dark
    // (text) pixels the grab shows where the child widget lies.
    int saveScreenshot(const std::string& name, const QWidget& child);

    std::string model;
    Simulators::SimulatedInstrumentOptions options;
    std::unique_ptr<Testing::TestInstrument> instrument;
    std::shared_ptr<Simulators::InstrumentWorld> world;
    // The IIa's and IIb's peer.
    std::shared_ptr<Simulators::SimulatedSmartMotorBus> bus;
    std::shared_ptr<UserDefaults> store = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    std::shared_ptr<Robot> robot;
    std::shared_ptr<ScriptedAuthorizer> authorizer = std::make_shared<ScriptedAuthorizer>();
    std::unique_ptr<PreferencesWindowController> window;

  private:
    std::shared_ptr<MainThreadBinding> previousBinding_;
    mutable std::mutex errorsMutex_;
    std::vector<std::exception_ptr> errors_;
};

} // namespace Dotfield::testing
