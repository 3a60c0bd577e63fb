// The launch on the simulated instrument: the order of the bring-up, the
// electronics' launch alert and what each answer leads to.

#include <algorithm>

#include <gtest/gtest.h>

#include "Dotfield/Application/Humidity/HumidityPollingLoop.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/Relay/Relay.hpp"
#include "Dotfield/tests/Application/BaudRefusingBus.hpp"
#include "Dotfield/tests/Application/ShellFixture.hpp"
#include "adapterdriver/USB/BackendSelection.hpp"

using namespace Dotfield;
using Kind = Simulators::SimulatedElectronics::Command::Kind;

namespace {

std::size_t indexOf(const std::vector<std::string>& events, const std::string& prefix) {
    const auto found = std::find_if(events.begin(), events.end(),
                                    [&prefix](const std::string& event) { return event.starts_with(prefix); });
    return static_cast<std::size_t>(found - events.begin());
}

} // namespace

using LaunchTests = ShellFixture;

TEST_F(LaunchTests, BringsUpElectronicsRelayAndHumiditySensorInOrder) {
    launch();

    const auto commands = electronicsPeer->commands();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(commands[0].kind, Kind::identify);
    EXPECT_EQ(commands[1].kind, Kind::relayToElectronics);
    const auto electronics = delegate->electronics();
    ASSERT_TRUE(electronics->serialPort());
    EXPECT_EQ(electronics->hardwareGeneration(), ElectronicsHardwareGeneration::originalDesign);
    // The poll is set up on the electronics queue after the launch.
    EXPECT_TRUE(pumpUntil([&] { return !electronics->dispatchTimer().isSuspended(); })) << "the status poll runs";

    ASSERT_TRUE(delegate->relay());
    EXPECT_TRUE(delegate->relay()->serialPort());
    ASSERT_TRUE(delegate->humidityLoop());
    EXPECT_EQ(delegate->humidityLoop()->relay(), delegate->relay());
    EXPECT_TRUE(pumpUntil([this] { return humiditySensor->readCount() > 0; }));
    EXPECT_EQ(humiditySensor->openHandleCount(), 1u);
    EXPECT_TRUE(alerts->shownAlerts().empty());

    const std::vector<std::pair<ShellDevice, std::string>> expected{
        {ShellDevice::electronics, "Electronics: connected (original design)"},
        {ShellDevice::positioner, "Positioner: DropwrightIIb connected"},
        {ShellDevice::relay, "Relay: connected"},
        {ShellDevice::humiditySensor, "Humidity sensor: connected"},
    };
    for (const auto& report : expected) {
        EXPECT_NE(std::find(statusReports.begin(), statusReports.end(), report), statusReports.end())
            << report.second;
    }
    EXPECT_TRUE(logged("The DropwrightIIb was set by default."));
    ASSERT_TRUE(pumpUntil([this] { return !movementNotices->empty(); }));
    EXPECT_EQ(*movementNotices, std::vector<bool>{false}) << "told once it is connected that it is not moving";
    EXPECT_TRUE(delegate->robot()->serialPort());
}

TEST_F(LaunchTests, ShutDownReleasesTheSensorAndClosesTheLinks) {
    launch();
    const auto electronics = delegate->electronics();
    delegate->shutDown();
    EXPECT_EQ(humiditySensor->openHandleCount(), 0u);
    EXPECT_FALSE(electronics->serialPort());
    EXPECT_FALSE(delegate->relay());
    EXPECT_FALSE(delegate->humidityLoop());
}

struct AbsentElectronicsCase {
    const char* name;
    AlertResponse answer;
    bool linkOpens;
};

class ElectronicsAbsentAtLaunch : public ShellFixture, public ::testing::WithParamInterface<AbsentElectronicsCase> {};

TEST_P(ElectronicsAbsentAtLaunch, AlertComesBeforeTheOtherWindowsAndItsAnswerDecides) {
    const auto& param = GetParam();
    electronicsPeer->unplug();
    alerts->setResponder([this, &param](const ErrorAlertContent&) {
        electronicsPeer->plugBackIn();
        return param.answer;
    });

    launch();

    const auto shown = alerts->shownAlerts();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].messageText, "The software was unable to connect to the control electronics.");
    EXPECT_EQ(shown[0].alternateButtonTitle, "Cancel");
    const auto record = events();
    const auto alertAt = indexOf(record, "alert: ");
    EXPECT_LT(indexOf(record, "console: ManualControlsWindowController"), alertAt);
    EXPECT_LT(indexOf(record, "console: CameraWindowController"), alertAt);
    EXPECT_GT(indexOf(record, "console: DispenserCalibrationController"), alertAt);

    const auto electronics = delegate->electronics();
    EXPECT_EQ(electronics->serialPort() != nullptr, param.linkOpens);
    if (param.linkOpens) {
        EXPECT_TRUE(pumpUntil([&] { return !electronics->dispatchTimer().isSuspended(); })) << "the poll runs";
    } else {
        EXPECT_TRUE(electronics->dispatchTimer().isSuspended()) << "the poll runs with a link only";
    }
    EXPECT_EQ(logged("User cancelled error recovery"), !param.linkOpens);
    if (param.linkOpens) {
        EXPECT_EQ(electronicsPeer->commands().at(0).kind, Kind::identify);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, ElectronicsAbsentAtLaunch,
                         ::testing::Values(AbsentElectronicsCase{"OkAfterPluggingIn", AlertResponse::defaultButton, true},
                                         AbsentElectronicsCase{"Cancel", AlertResponse::alternateButton, false}),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(LaunchTests, RefusedLineSettingsShowTheWriteErrorWithCancel) {
    ASSERT_TRUE(adapterdriver::setUSBBackend(std::make_shared<BaudRefusingBus>(instrument->cabling().bus())));
    alerts->setResponder([](const ErrorAlertContent&) { return AlertResponse::alternateButton; });

    launch();

    const auto shown = alerts->shownAlerts();
    ASSERT_GE(shown.size(), 1u) << "the positioner, refused too, has an alert of its own after it";
    EXPECT_EQ(shown[0].messageText, "A write error occurred when communicating with the electronics.");
    EXPECT_EQ(shown[0].defaultButtonTitle, "OK");
    EXPECT_EQ(shown[0].alternateButtonTitle, "Cancel");
    EXPECT_FALSE(delegate->electronics()->serialPort());
    EXPECT_TRUE(logged("User cancelled error recovery"));
    EXPECT_TRUE(logged("DispenserCalibrationController is not built yet; skipped: load the previous calibration"))
        << "the launch goes on";
}
