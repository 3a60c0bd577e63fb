// The error handler: which alert each error shows, and what its buttons do
// at the simulated devices.

#include <optional>
#include <stdexcept>

#include <gtest/gtest.h>

#include "Dotfield/Application/Humidity/HumidityPollingLoop.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/Instrument/Errors/HumiditySensorError.hpp"
#include "Dotfield/Instrument/Errors/RelayError.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Instrument/Errors/SerialPortConnectionError.hpp"
#include "Dotfield/Instrument/Relay/Relay.hpp"
#include "Dotfield/tests/Application/ShellFixture.hpp"

using namespace Dotfield;
using Kind = Simulators::SimulatedElectronics::Command::Kind;

namespace {

template <typename Error> std::exception_ptr error(Error e) {
    return std::make_exception_ptr(std::move(e));
}

bool identified(const Simulators::SimulatedElectronics& peer) {
    for (const auto& command : peer.commands()) {
        if (command.kind == Kind::identify) {
            return true;
        }
    }
    return false;
}

} // namespace

using RecoveryTests = ShellFixture;

TEST_F(RecoveryTests, ErrorsWithoutARecoveryOfTheirOwnShowTheUnexpectedErrorWithOKAlone) {
    launch();
    const std::exception_ptr errors[] = {
        error(CommunicationsError::readWriteTimeout()),
        error(SerialPortConnectionError(SerialPortConnectionErrorKind::deviceMissing)),
        error(std::runtime_error("camera gone")),
    };
    for (const auto& each : errors) {
        delegate->errorHandler()(each);
    }
    const auto shown = alerts->shownAlerts();
    ASSERT_EQ(shown.size(), std::size(errors));
    for (const auto& alert : shown) {
        EXPECT_EQ(alert.messageText, "Unexpected communications error.");
        EXPECT_EQ(alert.informativeText, "The system encountered an unexpected communications error. Please exit "
                                         "out of Dotfield and restart to reconnect.");
        EXPECT_EQ(alert.defaultButtonTitle, "OK");
        EXPECT_FALSE(alert.alternateButtonTitle);
    }
}

TEST_F(RecoveryTests, ElectronicsDisconnectedOKOpensANewLinkAndReadsTheGeneration) {
    launch();
    const auto electronics = delegate->electronics();
    const auto firstLink = electronics->serialPort();
    electronicsPeer->unplug();
    electronicsPeer->plugBackIn();
    electronicsPeer->clearCommands();

    delegate->errorHandler()(error(ElectronicsError(ElectronicsErrorKind::electronicsDisconnected)));

    ASSERT_TRUE(pumpUntil([&] { return electronics->serialPort() && electronics->serialPort() != firstLink; }));
    EXPECT_TRUE(pumpUntil([&] { return identified(*electronicsPeer); }));
    EXPECT_TRUE(pumpUntil([&] { return !electronics->dispatchTimer().isSuspended(); }));
    ASSERT_EQ(alerts->shownAlerts().size(), 1u);
    EXPECT_EQ(alerts->shownAlerts()[0], ElectronicsError(ElectronicsErrorKind::electronicsDisconnected)
                                            .presentableDescription());
}

TEST_F(RecoveryTests, APollStoppedByCancelRunsAgainAfterALaterReconnection) {
    launch();
    const auto electronics = delegate->electronics();
    alerts->setResponder([](const ErrorAlertContent&) { return AlertResponse::alternateButton; });
    delegate->errorHandler()(error(ElectronicsError(ElectronicsErrorKind::unrecoverableCommunicationNoise)));
    delegate->errorHandler()(error(ElectronicsError(ElectronicsErrorKind::electronicsDisconnected)));
    EXPECT_TRUE(electronics->dispatchTimer().isSuspended());

    alerts->setResponder({});
    delegate->errorHandler()(error(ElectronicsError(ElectronicsErrorKind::electronicsDisconnected)));
    EXPECT_TRUE(pumpUntil([&] { return !electronics->dispatchTimer().isSuspended(); }));
}

TEST_F(RecoveryTests, ARelayThatCannotBeReopenedIsDroppedAndTheHumidityControlLetsGoOfIt) {
    launch();
    const auto relay = delegate->relay();
    relayBox->unplug();

    delegate->errorHandler()(error(RelayError(RelayErrorKind::electronicsDisconnected)));

    EXPECT_FALSE(delegate->relay());
    EXPECT_FALSE(relay->serialPort());
    ASSERT_TRUE(delegate->humidityLoop());
    EXPECT_FALSE(delegate->humidityLoop()->relay());
    const auto shown = alerts->shownAlerts();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].messageText, "Relay connection lost.");
    EXPECT_EQ(shown[0].alternateButtonTitle, "Cancel");
}

TEST_F(RecoveryTests, ARelayThatAnswersAgainGetsANewLink) {
    launch();
    const auto relay = delegate->relay();
    const auto firstLink = relay->serialPort();
    relayBox->unplug();
    relayBox->plugBackIn();

    delegate->errorHandler()(error(RelayError(RelayErrorKind::relayDidNotSwitch)));

    EXPECT_EQ(delegate->relay(), relay);
    EXPECT_TRUE(relay->serialPort());
    EXPECT_NE(relay->serialPort(), firstLink);
}

TEST_F(RecoveryTests, AnUnpluggedSensorEndsTheLoopAndReleasesItsHandleAfterOneAlert) {
    launch();
    ASSERT_TRUE(pumpUntil([this] { return humiditySensor->readCount() > 0; }));

    humiditySensor->unplug();

    ASSERT_TRUE(pumpUntil([this] { return !delegate->humidityLoop(); }));
    EXPECT_EQ(humiditySensor->openHandleCount(), 0u);
    const auto shown = alerts->shownAlerts();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].messageText, "Humidity sensor disconnected.");
    EXPECT_EQ(shown[0].defaultButtonTitle, "OK");
    EXPECT_EQ(shown[0].alternateButtonTitle, "Cancel");
}

TEST_F(RecoveryTests, AfterCancelTheHumidityLoopsErrorsAreLoggedUntilAReadingSucceeds) {
    launch();
    alerts->setResponder([](const ErrorAlertContent&) { return AlertResponse::alternateButton; });
    humiditySensor->setReadStatus(5);
    ASSERT_TRUE(pumpUntil([this] { return logged("User cancelled error recovery"); }));
    const auto failuresAfterCancel = humiditySensor->readCount() + 3;
    ASSERT_TRUE(pumpUntil([&] { return humiditySensor->readCount() > failuresAfterCancel; }));
    EXPECT_EQ(alerts->shownAlerts().size(), 1u) << "later failures are only logged";

    humiditySensor->setReadStatus(0);
    const auto goodReadings = humiditySensor->readCount() + 2;
    ASSERT_TRUE(pumpUntil([&] { return humiditySensor->readCount() > goodReadings; }));
    humiditySensor->setReadStatus(5);
    EXPECT_TRUE(pumpUntil([this] { return alerts->shownAlerts().size() == 2; })) << "a new failure alerts again";
    EXPECT_EQ(alerts->shownAlerts()[1].messageText, "Humidity sensor reading failed.");
}

TEST_F(RecoveryTests, OnlyOneAlertPerDeviceIsOpenAtATime) {
    launch();
    alerts->setResponder([this](const ErrorAlertContent&) {
        delegate->errorHandler()(error(RelayError(RelayErrorKind::unrecoverableCommunicationNoise)));
        return AlertResponse::alternateButton;
    });

    delegate->errorHandler()(error(RelayError(RelayErrorKind::relayDidNotSwitch)));

    ASSERT_EQ(alerts->shownAlerts().size(), 1u);
    EXPECT_TRUE(logged("Not shown while its device's alert is open: Relay communication disrupted."));
}

TEST_F(RecoveryTests, OnceTerminationBeganErrorsAreOnlyLogged) {
    launch();
    delegate->beginTermination();
    delegate->errorHandler()(error(RelayError(RelayErrorKind::relayDidNotSwitch)));
    delegate->errorHandler()(error(CommunicationsError::failedStatusCheck()));
    EXPECT_TRUE(alerts->shownAlerts().empty());
    EXPECT_TRUE(logged("Not shown while the application terminates: Relay did not switch properly."));
}

TEST_F(RecoveryTests, AbortedDuringMoveShowsItsAlertAndNeitherButtonActs) {
    launch();
    for (const auto answer : {AlertResponse::defaultButton, AlertResponse::alternateButton}) {
        alerts->setResponder([answer](const ErrorAlertContent&) { return answer; });
        delegate->errorHandler()(error(RoboticsError(RoboticsError::Kind::abortedDuringMove)));
    }
    const auto shown = alerts->shownAlerts();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], RoboticsError(RoboticsError::Kind::abortedDuringMove).presentableDescription());
    EXPECT_FALSE(logged("User cancelled error recovery"));
}

// The dispenser left driven by electronics that stopped answering: the
// operator is told, with the cause, on the main thread, while the device
// queue that found it goes on.
TEST_F(RecoveryTests, ADispenserThatCannotBeSwitchedOffIsShownWithItsCause) {
    launch();
    const auto electronics = delegate->electronics();
    ASSERT_TRUE(electronics);
    electronics->serialDispatchQueue().sync([&] { electronics->startDispensing(); });
    electronicsPeer->unplug();
    EXPECT_ANY_THROW(electronics->serialDispatchQueue().sync([&] { electronics->stopDispensing(); }));

    const auto unsafeAlert = [&]() -> std::optional<ErrorAlertContent> {
        for (const auto& alert : alerts->shownAlerts()) {
            if (alert.messageText == "The dispenser or the UV lamp may still be on.") {
                return alert;
            }
        }
        return std::nullopt;
    };
    ASSERT_TRUE(pumpUntil([&] { return unsafeAlert().has_value(); }));
    const ErrorAlertContent alert = *unsafeAlert();
    EXPECT_EQ(alert.defaultButtonTitle, "OK");
    EXPECT_FALSE(alert.alternateButtonTitle);
    EXPECT_TRUE(alert.informativeText.starts_with("Could not set the drive voltage to 0: ")) << alert.informativeText;
    electronicsPeer->plugBackIn();
}
