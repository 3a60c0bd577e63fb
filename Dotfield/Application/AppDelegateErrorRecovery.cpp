// The error handler of AppDelegate and the recovery behind its alerts.

#include <utility>

#include "Dotfield/Application/AppDelegate.hpp"
#include "Dotfield/Application/Humidity/HumidityPollingLoop.hpp"
#include "Dotfield/Application/RecoveryAlerts.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/Instrument/Errors/HumiditySensorError.hpp"
#include "Dotfield/Instrument/Errors/RelayError.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Instrument/HelperFunctions/PresentError.hpp"
#include "Dotfield/Instrument/Humidity/HumiditySensor.hpp"
#include "Dotfield/Instrument/Relay/Relay.hpp"
#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWellError.hpp"

namespace Dotfield {

namespace {

void presentUnexpectedCommunicationsError() {
    presentError({.content = unexpectedCommunicationsErrorAlertContent(), .defaultAction = {}, .alternateAction = {}});
}

bool isDeviceError(std::exception_ptr error) {
    try {
        std::rethrow_exception(std::move(error));
    } catch (const RoboticsError&) {
        return true;
    } catch (const ElectronicsError&) {
        return true;
    } catch (const RelayError&) {
        return true;
    } catch (const HumiditySensorError&) {
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace

AppDelegate::ErrorHandler AppDelegate::errorHandler() const {
    const std::weak_ptr<AppDelegate> weak = std::const_pointer_cast<AppDelegate>(shared_from_this());
    return [weak](std::exception_ptr error) {
        if (const auto self = weak.lock()) {
            self->handleError(std::move(error));
        } else if (!isDeviceError(error)) {
            presentUnexpectedCommunicationsError();
        }
    };
}

void AppDelegate::handleError(std::exception_ptr error) {
    try {
        std::rethrow_exception(std::move(error));
    } catch (const RoboticsError& e) {
        handleRoboticsError(e);
    } catch (const ElectronicsError& e) {
        handleElectronicsError(e);
    } catch (const RelayError& e) {
        handleRelayError(e);
    } catch (const HumiditySensorError& e) {
        handleHumidityError(e);
    } catch (const SolutionWellError& e) {
        // A well the operator must correct: its own alert names it.
        presentRecoveryAlert(AlertDevice::other,
                             {.content = e.presentableDescription(), .defaultAction = {}, .alternateAction = {}});
    } catch (const std::exception& e) {
        presentRecoveryAlert(AlertDevice::other, {.content = unexpectedCommunicationsErrorAlertContent(),
                                                  .defaultAction = {},
                                                  .alternateAction = {}});
        log(std::string("Unexpected error: ") + e.what());
    } catch (...) {
        presentRecoveryAlert(AlertDevice::other, {.content = unexpectedCommunicationsErrorAlertContent(),
                                                  .defaultAction = {},
                                                  .alternateAction = {}});
    }
}

void AppDelegate::presentUnsafeOutputAlert(const std::string& message) {
    presentRecoveryAlert(AlertDevice::unsafeOutput,
                         {.content = unsafeOutputAlertContent(message), .defaultAction = {}, .alternateAction = {}});
}

void AppDelegate::presentRecoveryAlert(AlertDevice device, const ErrorAlertRequest& request) {
    if (!alertGate_.tryOpen(device)) {
        log("Not shown while " +
            std::string(alertGate_.terminating() ? "the application terminates" : "its device's alert is open") +
            ": " + request.content.messageText);
        return;
    }
    struct CloseOnExit {
        AlertGate& gate;
        AlertDevice device;
        ~CloseOnExit() { gate.close(device); }
    } closeOnExit{alertGate_, device};
    presentError(request);
}

// ---- Electronics -----------------------------------------------------------------------

void AppDelegate::handleElectronicsError(const ElectronicsError& error) {
    using Kind = ElectronicsErrorKind;
    const auto stopPoll = [this] {
        if (electronics_ && !pollStoppedByCancel_.exchange(true)) {
            electronics_->dispatchTimer().suspend();
        }
    };
    switch (error.kind()) {
    case Kind::electronicsDisconnected:
    case Kind::unrecoverableCommunicationNoise:
        presentRecoveryAlert(AlertDevice::electronics, {.content = error.presentableDescription(),
                                                        .defaultAction = [this] { reconnectToElectronics(); },
                                                        .alternateAction = stopPoll});
        return;
    case Kind::dispenserDisconnectedMidOperation:
        presentRecoveryAlert(AlertDevice::electronics,
                             {.content = error.presentableDescription(),
                              .defaultAction = {},
                              .alternateAction = [this] { log(userCancelledErrorRecovery); }});
        return;
    case Kind::abortedByUser:
    case Kind::internalTestFailure:
        return;
    }
}

void AppDelegate::reconnectToElectronics() {
    if (!electronics_) {
        return;
    }
    electronics_->dispatchTimer().suspend();
    electronics_->serialDispatchQueue().async([weak = weak_from_this(), electronics = electronics_] {
        const auto self = weak.lock();
        if (!self) {
            electronics->dispatchTimer().resume();
            return;
        }
        bool reconnected = false;
        try {
            if (const auto port = electronics->serialPort()) {
                port->closeSerialPort();
                electronics->setSerialPort(nullptr);
            }
            self->openElectronicsLink();
            reconnected = true;
        } catch (...) {
            self->log("Unable to reconnect to electronics.");
        }
        electronics->dispatchTimer().resume();
        if (reconnected) {
            if (self->pollStoppedByCancel_.exchange(false)) {
                electronics->dispatchTimer().resume();
            }
            if (!self->pollActivated_.load()) {
                MainQueue::main().async([weak] {
                    if (const auto again = weak.lock(); again && !again->pollActivated_.load()) {
                        again->activatePollingOfDispenserStatus();
                    }
                });
            }
        }
        self->reportElectronicsStatus();
    });
}

// ---- Relay -------------------------------------------------------------------------------

void AppDelegate::handleRelayError(const RelayError& error) {
    presentReconnectionAlert(AlertDevice::relay, relayRecoveryAlertContent(error), &AppDelegate::reconnectRelay);
}

// OK reconnects; Cancel gives up, and the humidity loop's errors are only
// logged from then on until it reads the sensor again.
void AppDelegate::presentReconnectionAlert(AlertDevice device, ErrorAlertContent content,
                                           void (AppDelegate::*reconnect)()) {
    presentRecoveryAlert(device, {.content = std::move(content),
                                  .defaultAction = [this, reconnect] { (this->*reconnect)(); },
                                  .alternateAction =
                                      [this] {
                                          humidityErrorsQuiet_.store(true);
                                          log(userCancelledErrorRecovery);
                                      }});
}

void AppDelegate::reconnectRelay() {
    const auto relay = relay_;
    if (!relay) {
        log("No relay to reconnect");
        return;
    }
    if (const auto port = relay->serialPort()) {
        port->closeSerialPort();
    }
    const auto link = properties(SerialPortType::relay);
    try {
        relay->setSerialPort(
            openSerialPort(link.portName, link.baudRate, link.evenParity, environment_.serialPortTiming));
        reportStatus(ShellDevice::relay, "Relay: connected");
    } catch (...) {
        dropRelay();
    }
}

void AppDelegate::dropRelay() {
    const auto relay = std::exchange(relay_, nullptr);
    if (relay) {
        relay->setSerialPort(nullptr);
    }
    // The humidity control must not keep switching a relay without a link.
    if (humidityLoop_ && humidityLoop_->relay() == relay) {
        humidityLoop_->setRelay(nullptr);
    }
    windows_->drop(OperatorWindow::relayControls);
    reportStatus(ShellDevice::relay, "Relay: not connected");
}

// ---- Humidity sensor -------------------------------------------------------------------------

void AppDelegate::handleHumidityError(const HumiditySensorError& error) {
    presentReconnectionAlert(AlertDevice::humiditySensor, humidityRecoveryAlertContent(error),
                             &AppDelegate::reconnectHumiditySensor);
}

void AppDelegate::reconnectHumiditySensor() {
    const auto loop = humidityLoop_;
    if (!loop) {
        log("No humidity sensor to reconnect");
        return;
    }
    if (const auto sensor = loop->humiditySensor();
        sensor && !sensor->releaseHumiditySensor(environment_.deviceReleaseWait)) {
        log("The humidity sensor stayed busy; its handle was not released");
    }
    try {
        loop->setHumiditySensor(HumiditySensor::connectToHumiditySensor());
        reportStatus(ShellDevice::humiditySensor, "Humidity sensor: connected");
        return;
    } catch (...) {
    }
    // The sensor is gone: the loop ends now; its thread is joined, and the
    // loop dropped, once this alert (on which the loop may be waiting) is closed.
    loop->stopReading();
    MainQueue::main().async([weak = weak_from_this(), loop] {
        const auto self = weak.lock();
        if (self && self->humidityLoop_ == loop) {
            self->stopHumidityLoop();
            self->windows_->drop(OperatorWindow::humidity);
            self->reportStatus(ShellDevice::humiditySensor, "Humidity sensor: not connected");
        }
    });
}

} // namespace Dotfield
