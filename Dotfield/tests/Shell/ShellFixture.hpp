#pragma once
// The application delegate on a simulated instrument: the electronics and the
// relay box on their adapters, the humidity sensor behind the sensor library,
// a test-driven main thread, and an alert presenter that plays the operator.
// Console lines and alerts land in one ordered record.

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Application/AppDelegate.hpp"
#include "Dotfield/Platform/Alerts/AlertPresenter.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "simulators/electronics/SimulatedElectronics.hpp"
#include "simulators/peers/HumiditySensor/SimulatedHumiditySensor.hpp"
#include "simulators/peers/RelayBox/SimulatedRelayBox.hpp"
#include "simulators/peers/Topology/SimulatedInstrument.hpp"

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

class ShellFixture : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A delegate over an in-memory settings store.
    std::shared_ptr<Dotfield::AppDelegate> makeDelegate();
    // Makes the delegate and runs the launch, then waits (serving the main
    // thread) until the relay and humidity bring-up have finished.
    void launch();
    bool pumpUntil(const std::function<bool()>& condition);

    // The ordered record: "console: <line>" and "alert: <title>".
    std::vector<std::string> events() const;
    bool logged(const std::string& line) const;

    Dotfield::ScopedMainThreadPump mainThread;
    std::shared_ptr<Simulators::SimulatedElectronics> electronicsPeer;
    std::shared_ptr<Simulators::SimulatedRelayBox> relayBox;
    std::shared_ptr<Simulators::SimulatedHumiditySensor> humiditySensor;
    std::unique_ptr<Simulators::SimulatedInstrument> instrument;
    std::shared_ptr<OperatorAtAlerts> alerts;
    std::shared_ptr<Dotfield::AppDelegate> delegate;
    std::vector<std::pair<Dotfield::ShellDevice, std::string>> statusReports;

  private:
    void record(const std::string& event);

    std::shared_ptr<Dotfield::AlertPresenter> previousPresenter_;
    mutable std::mutex eventsMutex_;
    std::vector<std::string> events_;
};
