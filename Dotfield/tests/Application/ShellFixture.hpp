#pragma once
// The application delegate on the whole simulated instrument (its world
// faster than real time): the electronics, the generic test positioner and
// the relay box on their adapters, the humidity sensor behind the sensor
// library; the "DropwrightIIb" made as the test robot model over the generic
// positioner; a test-driven main thread, and an alert presenter that plays
// the operator. Console lines and alerts land in one ordered record.

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Application/AppDelegate.hpp"
#include "Dotfield/Platform/Alerts/AlertPresenter.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/tests/Support/GenericPositionerRobot.hpp"
#include "Dotfield/tests/Support/SimulatedInstrumentBuilder.hpp"
#include "simulators/instrument/Positioners/Generic/SimulatedGenericPositioner.hpp"

// Answers each alert with what the test's responder says (OK when unset),
// after recording it.
class OperatorAtAlerts final : public Dotfield::AlertPresenter {
  public:
    using Responder = std::function<Dotfield::AlertResponse(const Dotfield::ErrorAlertContent&)>;

    explicit OperatorAtAlerts(std::function<void(const std::string&)> record) : record_(std::move(record)) {}
    void setResponder(Responder responder);
    std::vector<Dotfield::ErrorAlertContent> shownAlerts() const;

    Dotfield::AlertResponse runModalAlert(const Dotfield::ErrorAlertContent& content) override;

  private:
    std::function<void(const std::string&)> record_;
    mutable std::mutex mutex_;
    Responder responder_;
    std::vector<Dotfield::ErrorAlertContent> shown_;
};

class ShellFixture : public ::testing::Test {
  protected:
    // Builds the instrument from `options` (a test may change them first).
    void SetUp() override;
    void TearDown() override;

    // A delegate over an in-memory settings store.
    std::shared_ptr<Dotfield::AppDelegate> makeDelegate();
    // Makes the delegate and runs the launch, then waits (serving the main
    // thread) until every device has reported.
    void launch();
    // Runs on the new delegate before its launch (windows register here).
    std::function<void(Dotfield::AppDelegate&)> beforeLaunch;
    // The positioner's command lines so far.
    std::vector<std::string> positionerCommands() const;
    bool pumpUntil(const std::function<bool()>& condition);

    // The ordered record: "console: <line>" and "alert: <title>".
    std::vector<std::string> events() const;
    bool logged(const std::string& line) const;

    Dotfield::ScopedMainThreadPump mainThread;
    Simulators::SimulatedInstrumentOptions options =
        Dotfield::Testing::SimulatedInstrumentBuilder(std::string(Simulators::genericPositionerModel))
            .electronics(Simulators::SimulatedElectronics::Generation::originalDesign)
            .worldRate(20.0)
            .start({0.0, 0.0, 0.0})
            .withoutSurface()
            .options();
    std::unique_ptr<Dotfield::Testing::TestInstrument> instrument;
    std::shared_ptr<Simulators::SimulatedElectronics> electronicsPeer;
    std::shared_ptr<Simulators::SimulatedRelayBox> relayBox;
    std::shared_ptr<Simulators::SimulatedHumiditySensor> humiditySensor;
    std::shared_ptr<Simulators::SimulatedGenericPositioner> positioner;
    std::shared_ptr<Dotfield::UserDefaults> settings;
    // Every busy flag the robot's movement observers were told, in order.
    std::shared_ptr<std::vector<bool>> movementNotices = std::make_shared<std::vector<bool>>();
    std::shared_ptr<OperatorAtAlerts> alerts;
    std::shared_ptr<Dotfield::AppDelegate> delegate;
    std::vector<std::pair<Dotfield::ShellDevice, std::string>> statusReports;

  private:
    void record(const std::string& event);

    std::shared_ptr<Dotfield::AlertPresenter> previousPresenter_;
    mutable std::mutex eventsMutex_;
    std::vector<std::string> events_;
};
