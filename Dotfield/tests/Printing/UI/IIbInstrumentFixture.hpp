#pragma once
// The simulated instrument with the DropwrightIIb's SmartMotor bus as its
// positioner (the world faster than real time) and the IIb robot connected
// over it, a test-driven main thread inside the process's QApplication, and
// a place for window grabs.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Robotics/Models/DropwrightIIb.hpp"
#include "Dotfield/tests/Support/SimulatedInstrumentBuilder.hpp"
#include "simulators/instrument/Positioners/SmartMotor/SimulatedSmartMotorBus.hpp"

namespace PrintControlTests {

class IIbInstrumentFixture : public ::testing::Test {
  protected:
    static constexpr double worldRate = 20.0;

    void SetUp() override;
    void TearDown() override;

    // A link for one of the instrument's adapters with the tests' timing;
    // closed at the end of the test.
    Dotfield::Robot::SerialPortOpener opener();
    // Serves the main thread until the condition holds (false after the guard
    // time, so a broken test fails instead of hanging).
    bool pumpUntil(const std::function<bool()>& condition);
    // Lets the robot's queue run dry, serving the main thread meanwhile.
    void waitForRobotQueue();

    Dotfield::ScopedMainThreadPump mainThread;
    Simulators::SimulatedInstrumentOptions options = Dotfield::Testing::SimulatedInstrumentBuilder("IIb")
                                                         .worldRate(worldRate)
                                                         .start({10000.0, 10000.0, 60000.0})
                                                         .options();
    std::unique_ptr<Dotfield::Testing::TestInstrument> instrument;
    std::shared_ptr<Simulators::InstrumentWorld> world;
    std::shared_ptr<Simulators::SimulatedSmartMotorBus> bus;
    std::shared_ptr<Dotfield::UserDefaults> store =
        std::make_shared<Dotfield::UserDefaults>(Dotfield::UserDefaults::CustomDictionary{});
    std::shared_ptr<Dotfield::DropwrightIIb> robot;
};

// Saves the widget's grab as screenshots/<name>.png and answers it.
QImage grabToPNG(QWidget& widget, const std::string& name);
// A fresh folder under the build tree for one test's files.
std::filesystem::path testFolder(const std::string& name);

} // namespace PrintControlTests
