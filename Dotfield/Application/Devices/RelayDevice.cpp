#include "Dotfield/Application/Devices/RelayDevice.hpp"

#include <utility>

#include "Dotfield/Application/Devices/HumidityDevice.hpp"
#include "Dotfield/Application/RecoveryAlerts.hpp"
#include "Dotfield/Instrument/Errors/RelayError.hpp"
#include "Dotfield/Instrument/Relay/Relay.hpp"
#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/Platform/MainQueue.hpp"

namespace Dotfield {

RelayDevice::RelayDevice(std::shared_ptr<DeviceContext> context, std::shared_ptr<HumidityDevice> humidity)
    : context_(std::move(context)), humidity_(std::move(humidity)) {}

std::shared_ptr<SerialPort> RelayDevice::openLink() const {
    const auto link = properties(SerialPortType::relay);
    return openSerialPort(link.portName, link.baudRate, link.evenParity, context_->environment().serialPortTiming);
}

void RelayDevice::connect() {
    try {
        auto port = openLink();
        MainQueue::main().async([weak = weak_from_this(), port] {
            const auto self = weak.lock();
            if (!self) {
                port->closeSerialPort();
                return;
            }
            self->relay_ = std::make_shared<Relay>();
            self->relay_->setSerialPort(port);
            // Whichever of the relay and the sensor comes first, the humidity
            // control gets the relay.
            self->humidity_->relayConnected(self->relay_);
            self->context_->windowStep(OperatorWindow::relayControls, "show the relay controls", false);
            self->context_->reportStatus(ShellDevice::relay, "Relay: connected");
        });
    } catch (...) {
        // No relay: no window, no alert.
        context_->reportStatus(ShellDevice::relay, "Relay: not connected");
    }
}

std::optional<RecoveryAlert> RelayDevice::recoveryAlert(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const RelayError& e) {
        // Cancel gives up: the humidity loop's errors (its relay's among them)
        // are only logged from then on until it reads the sensor again.
        return RecoveryAlert{AlertDevice::relay, ErrorAlertRequest{.content = relayRecoveryAlertContent(e),
                                                                   .defaultAction = [this] { reconnect(); },
                                                                   .alternateAction =
                                                                       [this] {
                                                                           humidity_->quietErrors();
                                                                           context_->log(userCancelledErrorRecovery);
                                                                       }}};
    } catch (...) {
        return std::nullopt;
    }
}

void RelayDevice::reconnect() {
    const auto relay = relay_;
    if (!relay) {
        context_->log("No relay to reconnect");
        return;
    }
    if (const auto port = relay->serialPort()) {
        port->closeSerialPort();
    }
    try {
        relay->setSerialPort(openLink());
        context_->reportStatus(ShellDevice::relay, "Relay: connected");
    } catch (...) {
        drop();
    }
}

void RelayDevice::drop() {
    const auto relay = std::exchange(relay_, nullptr);
    if (relay) {
        relay->setSerialPort(nullptr);
    }
    humidity_->relayDropped(relay);
    context_->dropWindow(OperatorWindow::relayControls);
    context_->reportStatus(ShellDevice::relay, "Relay: not connected");
}

void RelayDevice::release() {
    if (const auto relay = std::exchange(relay_, nullptr)) {
        if (const auto port = relay->serialPort()) {
            port->closeSerialPort();
        }
    }
}

} // namespace Dotfield
