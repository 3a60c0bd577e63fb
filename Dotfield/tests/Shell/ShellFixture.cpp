#include "Dotfield/tests/Shell/ShellFixture.hpp"

#include <algorithm>
#include <chrono>

#include "Dotfield/Application/Humidity/HumidityPollingLoop.hpp"
#include "Dotfield/Instrument/Relay/Relay.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/THUM/THUMLibrary.hpp"
#include "adapterdriver/USB/BackendSelection.hpp"

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
    electronicsPeer = std::make_shared<SimulatedElectronics>(SimulatedElectronics::Generation::originalDesign);
    relayBox = std::make_shared<SimulatedRelayBox>();
    instrument = std::make_unique<SimulatedInstrument>(SimulatedInstrument::Peers{electronicsPeer, nullptr, relayBox});
    ASSERT_TRUE(adapterdriver::setUSBBackend(instrument->bus()));
    humiditySensor = std::make_shared<SimulatedHumiditySensor>();
    setTHUMBackend(humiditySensor);
    alerts = std::make_shared<OperatorAtAlerts>([this](const std::string& event) { record(event); });
    previousPresenter_ = installAlertPresenter(alerts);
}

void ShellFixture::TearDown() {
    if (delegate) {
        delegate->shutDown();
        delegate.reset();
    }
    installAlertPresenter(previousPresenter_);
    setTHUMBackend(nullptr);
    EXPECT_TRUE(adapterdriver::setUSBBackend(nullptr));
    instrument.reset();
}

std::shared_ptr<AppDelegate> ShellFixture::makeDelegate() {
    AppDelegateEnvironment environment;
    environment.userDefaults = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    environment.console = [this](std::string_view line) { record("console: " + std::string(line)); };
    environment.serialPortTiming.readTimeoutMilliseconds = 250;
    environment.serialPortTiming.writeTimeoutMilliseconds = 250;
    environment.serialPortTiming.bufferedBytesWait = std::chrono::milliseconds(400);
    auto made = AppDelegate::create(std::move(environment));
    made->setDeviceStatusObserver(
        [this](ShellDevice device, const std::string& text) { statusReports.emplace_back(device, text); });
    return made;
}

void ShellFixture::launch() {
    delegate = makeDelegate();
    delegate->applicationDidFinishLaunching();
    ASSERT_TRUE(pumpUntil([this] {
        const auto reported = [this](ShellDevice device) {
            return std::any_of(statusReports.begin(), statusReports.end(),
                               [device](const auto& report) { return report.first == device; });
        };
        return reported(ShellDevice::relay) && reported(ShellDevice::humiditySensor);
    }));
}

bool ShellFixture::pumpUntil(const std::function<bool()>& condition) {
    return mainThread.pump().runUntil(condition, std::chrono::seconds(10));
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
