// The recovery table: for every device and error, the alert the error handler
// shows (title and buttons), and what the operator's answer does at the
// simulated instrument: the device's link opened again, the positioner homed,
// the status poll stopped, the give-up logged, nothing at all, or the end of
// the program.

#include <atomic>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Application/Humidity/HumidityPollingLoop.hpp"
#include "Dotfield/Camera/IIDC/IIDCCameraError.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/Instrument/Errors/HumiditySensorError.hpp"
#include "Dotfield/Instrument/Errors/RelayError.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Instrument/Relay/Relay.hpp"
#include "Dotfield/Platform/SerialQueue.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/tests/Application/ShellFixture.hpp"

using namespace Dotfield;

namespace {

enum class Device { positioner, electronics, relay, humiditySensor, camera };

enum class Effect {
    // The device's link opened again (the positioner: connected again).
    reconnect,
    // The positioner's errors cleared on every axis, then the positioner homed.
    home,
    // The status poll suspended for good; no reconnection.
    pollStopped,
    // "User cancelled error recovery"; no reconnection.
    cancelLogged,
    // Neither a reconnection nor a log line.
    nothing,
    // The program stops with its message.
    programEnds,
};

struct Row {
    const char* name;
    Device device;
    std::function<std::exception_ptr()> error;
    AlertResponse answer;
    // None: no alert.
    std::optional<std::string> title;
    std::string okButton;
    std::optional<std::string> cancelButton;
    Effect effect;
    // The device's adapter was unplugged and plugged back in before the
    // error, as when its link was lost.
    bool linkLost = false;
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

template <typename Error, typename... Arguments> std::function<std::exception_ptr()> raise(Arguments... arguments) {
    return [=] { return std::make_exception_ptr(Error(arguments...)); };
}

constexpr auto ok = AlertResponse::defaultButton;
constexpr auto cancel = AlertResponse::alternateButton;
using RoboticsKind = RoboticsError::Kind;
using ElectronicsKind = ElectronicsErrorKind;

const Row recoveryTable[] = {
    {"PositionerNotConnectedOK", Device::positioner,
     [] { return std::make_exception_ptr(RoboticsError::notConnected({MotorPosition::allMotors})); }, ok,
     "The connection to the robot has been lost.", "OK", "Cancel", Effect::reconnect, true},
    {"PositionerNotConnectedCancel", Device::positioner,
     [] { return std::make_exception_ptr(RoboticsError::notConnected({MotorPosition::allMotors})); }, cancel,
     "The connection to the robot has been lost.", "OK", "Cancel", Effect::cancelLogged},
    {"PositionerCorruptedCommunicationsOK", Device::positioner,
     raise<RoboticsError>(RoboticsKind::corruptedCommunications), ok,
     "The connection to the robotics has been disrupted.", "OK", "Cancel", Effect::reconnect},
    {"PositionerHitObstructionHome", Device::positioner, raise<RoboticsError>(RoboticsKind::hitObstruction), ok,
     "The positioner has hit a physical limit or become obstructed.", "Home", "Cancel", Effect::home},
    {"PositionerNeedsToHomeCancel", Device::positioner, raise<RoboticsError>(RoboticsKind::needsToHome), cancel,
     "The positioner needs to be homed.", "Home", "Cancel", Effect::cancelLogged},
    {"PositionerAbortedDuringMoveOK", Device::positioner, raise<RoboticsError>(RoboticsKind::abortedDuringMove), ok,
     "The movement of the positioner was halted.", "OK", "Cancel", Effect::nothing},
    {"PositionerAbortedDuringMoveCancel", Device::positioner,
     raise<RoboticsError>(RoboticsKind::abortedDuringMove), cancel, "The movement of the positioner was halted.",
     "OK", "Cancel", Effect::nothing},
    {"PositionerInternalTestFailure", Device::positioner, raise<RoboticsError>(RoboticsKind::internalTestFailure),
     ok, std::nullopt, "", std::nullopt, Effect::programEnds},
    {"ElectronicsDisconnectedOK", Device::electronics,
     raise<ElectronicsError>(ElectronicsKind::electronicsDisconnected), ok,
     "The connection to the control electronics was lost.", "OK", "Cancel", Effect::reconnect, true},
    {"ElectronicsNoiseCancel", Device::electronics,
     raise<ElectronicsError>(ElectronicsKind::unrecoverableCommunicationNoise), cancel,
     "Communication noise has interrupted operations.", "OK", "Cancel", Effect::pollStopped},
    {"DispenserDisconnectedMidOperationOK", Device::electronics,
     raise<ElectronicsError>(ElectronicsKind::dispenserDisconnectedMidOperation), ok,
     "Dispenser disconnected mid-operation.", "OK", "Cancel", Effect::nothing},
    {"DispenserDisconnectedMidOperationCancel", Device::electronics,
     raise<ElectronicsError>(ElectronicsKind::dispenserDisconnectedMidOperation), cancel,
     "Dispenser disconnected mid-operation.", "OK", "Cancel", Effect::cancelLogged},
    {"ElectronicsAbortedByUser", Device::electronics, raise<ElectronicsError>(ElectronicsKind::abortedByUser), ok,
     std::nullopt, "", std::nullopt, Effect::nothing},
    {"RelayConnectionLostOK", Device::relay, raise<RelayError>(RelayErrorKind::electronicsDisconnected), ok,
     "Relay connection lost.", "OK", "Cancel", Effect::reconnect, true},
    {"RelayDidNotSwitchCancel", Device::relay, raise<RelayError>(RelayErrorKind::relayDidNotSwitch), cancel,
     "Relay did not switch properly.", "OK", "Cancel", Effect::cancelLogged},
    {"HumiditySensorBusyOK", Device::humiditySensor, raise<HumiditySensorError>(HumiditySensorErrorKind::sensorBusy),
     ok, "Humidity sensor busy during reading.", "OK", "Cancel", Effect::reconnect},
    {"HumiditySensorDisconnectedCancel", Device::humiditySensor,
     raise<HumiditySensorError>(HumiditySensorErrorKind::sensorDisconnected), cancel,
     "Humidity sensor disconnected.", "OK", "Cancel", Effect::cancelLogged},
    {"CameraErrorOK", Device::camera, raise<IIDCCameraError>(IIDCCameraErrorKind::cameraDisconnected), ok,
     "Unexpected communications error.", "OK", std::nullopt, Effect::nothing},
};

class RecoveryTable : public ShellFixture, public ::testing::WithParamInterface<Row> {
  protected:
    // The links and the sensor as they were before the error.
    struct Links {
        std::shared_ptr<SerialPort> robot;
        std::shared_ptr<SerialPort> electronics;
        std::shared_ptr<SerialPort> relay;
        std::shared_ptr<HumiditySensor> humiditySensor;
    };

    Links links() const {
        return {delegate->robot()->serialPort(), delegate->electronics()->serialPort(),
                delegate->relay()->serialPort(), delegate->humidityLoop()->humiditySensor()};
    }

    // Waits (serving the main thread) until the work queued so far on the
    // positioner's and the electronics' queues has run.
    void settleDeviceQueues() {
        for (SerialQueue* queue :
             {&delegate->robot()->serialDispatchQueue(), &delegate->electronics()->serialDispatchQueue()}) {
            auto done = std::make_shared<std::atomic<bool>>(false);
            queue->async([done] { done->store(true); });
            ASSERT_TRUE(pumpUntil([&] { return done->load(); }));
        }
    }

    bool electronicsIdentified() const {
        for (const auto& command : electronicsPeer->commands()) {
            if (command.kind == Simulators::SimulatedElectronics::Command::Kind::identify) {
                return true;
            }
        }
        return false;
    }

    bool reconnected(Device device, const Links& before) const {
        switch (device) {
        case Device::positioner:
            return !positionerCommands().empty() || delegate->robot()->serialPort() != before.robot;
        case Device::electronics:
            return electronicsIdentified() || delegate->electronics()->serialPort() != before.electronics;
        case Device::relay:
            return delegate->relay()->serialPort() != before.relay;
        case Device::humiditySensor:
            return delegate->humidityLoop()->humiditySensor() != before.humiditySensor;
        case Device::camera:
            return false;
        }
        return false;
    }
};

TEST_P(RecoveryTable, ShowsTheDevicesAlertAndCarriesOutTheAnswer) {
    const Row& row = GetParam();
    if (row.effect == Effect::programEnds) {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        delegate = makeDelegate();
        EXPECT_DEATH(delegate->errorHandler()(row.error()),
                     "InternalTestFailure should never be presented to handleRoboticsError\\(\\)");
        return;
    }
    launch();
    ASSERT_TRUE(pumpUntil([this] { return delegate->relay() && delegate->humidityLoop(); }));
    ASSERT_TRUE(delegate->robot() && delegate->robot()->serialPort());
    const Links before = links();
    if (row.linkLost) {
        const std::shared_ptr<Simulators::SimulatedPeer> peer =
            row.device == Device::positioner    ? std::shared_ptr<Simulators::SimulatedPeer>(positioner)
            : row.device == Device::electronics ? std::shared_ptr<Simulators::SimulatedPeer>(electronicsPeer)
                                                : std::shared_ptr<Simulators::SimulatedPeer>(relayBox);
        peer->unplug();
        peer->plugBackIn();
    }
    positioner->clearCommands();
    electronicsPeer->clearCommands();
    alerts->setResponder([answer = row.answer](const ErrorAlertContent&) { return answer; });

    delegate->errorHandler()(row.error());
    settleDeviceQueues();

    const auto shown = alerts->shownAlerts();
    if (!row.title) {
        EXPECT_TRUE(shown.empty());
    } else {
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].messageText, *row.title);
        EXPECT_EQ(shown[0].defaultButtonTitle, row.okButton);
        EXPECT_EQ(shown[0].alternateButtonTitle, row.cancelButton);
    }
    EXPECT_EQ(reconnected(row.device, before), row.effect == Effect::reconnect || row.effect == Effect::home);
    EXPECT_EQ(logged("User cancelled error recovery"), row.effect == Effect::cancelLogged);
    EXPECT_EQ(delegate->electronics()->dispatchTimer().isSuspended(), row.effect == Effect::pollStopped);
    if (row.effect == Effect::home) {
        const auto lines = positionerCommands();
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 3),
                  (std::vector<std::string>{"C X", "C Y", "C Z"}));
    }
}

INSTANTIATE_TEST_SUITE_P(EveryDevice, RecoveryTable, ::testing::ValuesIn(recoveryTable),
                         [](const ::testing::TestParamInfo<Row>& each) { return std::string(each.param.name); });

} // namespace
