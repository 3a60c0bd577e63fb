#include "Dotfield/tests/Application/ShellFixture.hpp"

#include <algorithm>
#include <chrono>

#include "Dotfield/Application/Humidity/HumidityPollingLoop.hpp"
#include "Dotfield/Instrument/Relay/Relay.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/tests/Support/TestTiming.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

using namespace Dotfield;
using namespace Simulators;

void OperatorAtAlerts::setResponder(Responder responder) {
    std::lock_guard lock(mutex_);
    responder_ = std::move(responder);
}

std::vector<ErrorAlertContent> OperatorAtAlerts::shownAlerts() const {
    std::lock_guard lock(mutex_);
    return shown_;
}

AlertResponse OperatorAtAlerts::runModalAlert(const ErrorAlertContent& content) {
    Responder responder;
    {
        std::lock_guard lock(mutex_);
        shown_.push_back(content);
        responder = responder_;
    }
    record_("alert: " + content.messageText);
    return responder ? responder(content) : AlertResponse::defaultButton;
}

void ShellFixture::SetUp() {
    instrument = std::make_unique<Dotfield::Testing::TestInstrument>(options);
    electronicsPeer = instrument->electronics();
    relayBox = instrument->relayBox();
    humiditySensor = instrument->humiditySensor();
    positioner = instrument->positionerAs<SimulatedGenericPositioner>();
    ASSERT_TRUE(positioner);
    alerts = std::make_shared<OperatorAtAlerts>([this](const std::string& event) { record(event); });
    previousPresenter_ = installAlertPresenter(alerts);
}

void ShellFixture::TearDown() {
    if (delegate) {
        delegate->shutDown();
        delegate.reset();
    }
    installAlertPresenter(previousPresenter_);
    instrument.reset();
}

std::vector<std::string> ShellFixture::positionerCommands() const {
    std::vector<std::string> lines;
    for (const auto& command : positioner->commands()) {
        lines.push_back(command.line);
    }
    return lines;
}

std::shared_ptr<AppDelegate> ShellFixture::makeDelegate() {
    AppDelegateEnvironment environment;
    if (!settings) {
        settings = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    }
    environment.userDefaults = settings;
    environment.console = [this](std::string_view line) { record("console: " + std::string(line)); };
    environment.serialPortTiming = Dotfield::Testing::serialPortTiming();
    environment.electronicsReopenInterval = std::chrono::milliseconds(100);
    // The DropwrightIIb is the test model over the generic positioner.
    environment.robotModels = [notices = movementNotices](const std::string& model) -> RobotModelFactory {
        if (model != "DropwrightIIb") {
            return {};
        }
        return [notices](std::shared_ptr<UserDefaults> defaults) -> std::shared_ptr<Robot> {
            auto robot = Robot::make<Dotfield::testing::GenericPositionerRobot>(std::move(defaults));
            robot->addObserverForMovementCompletion([notices](bool busy) { notices->push_back(busy); });
            return robot;
        };
    };
    auto made = AppDelegate::create(std::move(environment));
    made->setDeviceStatusObserver(
        [this](ShellDevice device, const std::string& text) { statusReports.emplace_back(device, text); });
    return made;
}

void ShellFixture::launch() {
    delegate = makeDelegate();
    if (beforeLaunch) {
        beforeLaunch(*delegate);
    }
    delegate->applicationDidFinishLaunching();
    ASSERT_TRUE(pumpUntil([this] {
        const auto reported = [this](ShellDevice device) {
            return std::any_of(statusReports.begin(), statusReports.end(),
                               [device](const auto& report) { return report.first == device; });
        };
        const bool positionerSettled = std::any_of(statusReports.begin(), statusReports.end(), [](const auto& report) {
            return report.first == ShellDevice::positioner && !report.second.ends_with("connecting");
        });
        return reported(ShellDevice::relay) && reported(ShellDevice::humiditySensor) && positionerSettled;
    }));
}

bool ShellFixture::pumpUntil(const std::function<bool()>& condition) {
    return mainThread.pump().runUntil(condition, Dotfield::Testing::eventuallyLimit);
}

void ShellFixture::record(const std::string& event) {
    std::lock_guard lock(eventsMutex_);
    events_.push_back(event);
}

std::vector<std::string> ShellFixture::events() const {
    std::lock_guard lock(eventsMutex_);
    return events_;
}

bool ShellFixture::logged(const std::string& line) const {
    const auto all = events();
    return std::find(all.begin(), all.end(), "console: " + line) != all.end();
}
