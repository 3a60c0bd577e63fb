#include "Dotfield/Application/Devices/ElectronicsDevice.hpp"

#include <string>
#include <utility>

#include "Dotfield/Application/DispenserStatus/DispenserStatusPollTick.hpp"
#include "Dotfield/Application/RecoveryAlerts.hpp"
#include "Dotfield/Instrument/DispenserStatus/DispenserStatusPoll.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/Electronics/RedesignedImpedanceMeasurement.hpp"
#include "Dotfield/Instrument/Electronics/WaveformGenerator.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/Instrument/Errors/SerialPortConnectionError.hpp"
#include "Dotfield/Instrument/HelperFunctions/TimerTicks.hpp"
#include "Dotfield/Instrument/ImpedanceScan/DelayCalibrationTable.hpp"
#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/Platform/Log.hpp"
#include "Dotfield/Platform/MainQueue.hpp"

namespace Dotfield {

namespace {

// The status set-up is tried this often per round, in this many rounds.
constexpr int statusSetUpAttempts = 2;
constexpr int statusSetUpRounds = 3;

} // namespace

ElectronicsDevice::ElectronicsDevice(std::shared_ptr<DeviceContext> context,
                                     std::shared_ptr<DispenserStatusPollWindowRegistry> pollWindows)
    : context_(std::move(context)), pollWindows_(std::move(pollWindows)) {}

void ElectronicsDevice::reportStatus() {
    if (!electronics_ || !electronics_->serialPort()) {
        context_->reportStatus(ShellDevice::electronics, "Electronics: not connected");
        return;
    }
    const bool redesign = electronics_->hardwareGeneration() == ElectronicsHardwareGeneration::redesign2016;
    context_->reportStatus(ShellDevice::electronics, redesign ? "Electronics: connected (2016 redesign)"
                                                              : "Electronics: connected (original design)");
}

// ---- Launch ----------------------------------------------------------------------

void ElectronicsDevice::connect() {
    electronics_ = std::make_shared<Electronics>(context_->userDefaults());
    // The main thread holds the electronics' queue while it connects, so the
    // connection alert can run here without waiting for the queue.
    electronics_->serialDispatchQueue().sync([this] { connectAtLaunch(); });
    reportStatus();
}

void ElectronicsDevice::openLink() {
    const auto link = properties(SerialPortType::electronics);
    auto port =
        openSerialPort(link.portName, link.baudRate, link.evenParity, context_->environment().serialPortTiming);
    electronics_->setSerialPort(port);
    electronics_->setHardwareGeneration(determineElectronicsHardwareGeneration(*port));
}

void ElectronicsDevice::closeLink() {
    if (const auto port = electronics_->serialPort()) {
        port->closeSerialPort();
        electronics_->setSerialPort(nullptr);
    }
}

void ElectronicsDevice::reopenLink() {
    closeLink();
    openLink();
}

void ElectronicsDevice::connectAtLaunch() {
    for (;;) {
        try {
            openLink();
            setElectronicsRelayState(ElectronicsRelayState::electronicsState, *electronics_->serialPort());
            return;
        } catch (const SerialPortConnectionError& error) {
            bool retry = false;
            context_->presentAlert(AlertDevice::electronics,
                                   {.content = launchConnectionAlertContent(error),
                                    .defaultAction =
                                        [this, &retry] {
                                            closeLink();
                                            retry = true;
                                        },
                                    .alternateAction = [this] { context_->log(userCancelledErrorRecovery); }});
            if (!retry) {
                return;
            }
        } catch (...) {
            context_->log("Hiding the read errors from the setting of the relay state");
            return;
        }
    }
}

// ---- Status poll -----------------------------------------------------------------

void ElectronicsDevice::activatePoll() {
    const auto points = [this] {
        if (const auto statistics = electronics_->dispenserStatistics()) {
            const auto& s = *statistics;
            return DispenserStatusPoints{s[0].measurementSettings, s[1].measurementSettings,
                                         s[2].measurementSettings, s[3].measurementSettings,
                                         s[4].measurementSettings};
        }
        return dispenserStatusPointsOfDelayTable(bundledDelayCalibrationTable());
    }();
    context_->reportStatus(ShellDevice::dispenser, "Dispenser: starting the status poll");
    electronics_->serialDispatchQueue().async([weak = weak_from_this(), points] {
        if (const auto self = weak.lock()) {
            self->setUpPoll(points);
        }
    });
}

void ElectronicsDevice::setUpPoll(const DispenserStatusPoints& points) {
    if (pollActivated_.load() || context_->terminating()) {
        return;
    }
    for (int round = 0; round < statusSetUpRounds; ++round) {
        for (int attempt = 0; attempt < statusSetUpAttempts; ++attempt) {
            try {
                electronics_->initializeStatusCheck(points);
                const std::weak_ptr<ElectronicsDevice> weak = weak_from_this();
                DispenserStatusPollEnvironment environment{
                    .electronics = electronics_.get(),
                    .windows = pollWindows_,
                    // Once termination has begun the link stays closed and the
                    // windows are left alone (the main thread no longer serves them).
                    .reopenElectronicsLink =
                        [weak] {
                            if (const auto self = weak.lock(); self && !self->context_->terminating()) {
                                self->reopenLink();
                            }
                        },
                    .onMainThread =
                        [weak](const std::function<void()>& work) {
                            if (const auto self = weak.lock(); self && !self->context_->terminating()) {
                                MainQueue::main().sync(work);
                            }
                        },
                    .console =
                        [weak](std::string_view line) {
                            if (const auto self = weak.lock()) {
                                self->context_->log(line);
                            }
                        },
                    .reportState =
                        [weak](const std::string& text) {
                            if (const auto self = weak.lock()) {
                                self->context_->reportStatus(ShellDevice::dispenser, text);
                            }
                        },
                    .reopenInterval = context_->environment().electronicsReopenInterval};
                auto tick = std::make_shared<DispenserStatusPollTick>(std::move(environment), points);
                pollActivated_.store(true);
                startRepeatingTimer(*electronics_, dispenserStatusPollInterval, dispenserStatusPollLeeway,
                                    [tick] { (*tick)(); });
                return;
            } catch (const std::exception& error) {
                context_->log(std::string("Setting up the dispenser status check failed: ") + error.what());
            }
        }
        if (round + 1 < statusSetUpRounds) {
            try {
                reopenLink();
            } catch (const std::exception& error) {
                context_->log(std::string("Reopening the electronics link failed: ") + error.what());
            }
        }
    }
    context_->log("Dispenser status unavailable");
    context_->reportStatus(ShellDevice::dispenser, "Dispenser status unavailable");
}

// ---- Recovery ----------------------------------------------------------------------

std::optional<RecoveryAlert> ElectronicsDevice::recoveryAlert(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const ElectronicsError& e) {
        using Kind = ElectronicsErrorKind;
        switch (e.kind()) {
        case Kind::electronicsDisconnected:
        case Kind::unrecoverableCommunicationNoise:
            return RecoveryAlert{AlertDevice::electronics,
                                 ErrorAlertRequest{.content = e.presentableDescription(),
                                                   .defaultAction = [this] { reconnect(); },
                                                   .alternateAction = [this] { stopPollForGood(); }}};
        case Kind::dispenserDisconnectedMidOperation:
            return RecoveryAlert{
                AlertDevice::electronics,
                ErrorAlertRequest{.content = e.presentableDescription(),
                                  .defaultAction = {},
                                  .alternateAction = [this] { context_->log(userCancelledErrorRecovery); }}};
        case Kind::abortedByUser:
        case Kind::internalTestFailure:
            break;
        }
        return RecoveryAlert{AlertDevice::electronics, std::nullopt};
    } catch (...) {
        return std::nullopt;
    }
}

void ElectronicsDevice::stopPollForGood() {
    if (electronics_ && !pollStoppedByCancel_.exchange(true)) {
        electronics_->dispatchTimer().suspend();
    }
}

void ElectronicsDevice::reconnect() {
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
            self->reopenLink();
            reconnected = true;
        } catch (...) {
            self->context_->log("Unable to reconnect to electronics.");
        }
        electronics->dispatchTimer().resume();
        if (reconnected) {
            if (self->pollStoppedByCancel_.exchange(false)) {
                electronics->dispatchTimer().resume();
            }
            if (!self->pollActivated_.load()) {
                MainQueue::main().async([weak] {
                    if (const auto again = weak.lock(); again && !again->pollActivated_.load()) {
                        again->activatePoll();
                    }
                });
            }
        }
        self->reportStatus();
    });
}

// ---- The end of the run --------------------------------------------------------------

void ElectronicsDevice::stop() {
    if (!electronics_) {
        return;
    }
    // No more status ticks; a dispense or spray under way is told to stop.
    if (!ticksStopped_.exchange(true)) {
        electronics_->dispatchTimer().suspend();
    }
    electronics_->setSprayingOrDispensingCancelled(true);
}

void ElectronicsDevice::settle() {
    if (!electronics_) {
        return;
    }
    // The generator off and its output back to the electronics, once the
    // tick in flight has ended (best-effort).
    electronics_->serialDispatchQueue().sync([this] {
        if (!electronics_->serialPort()) {
            return;
        }
        try {
            electronics_->stopDispensing();
        } catch (...) {
            writeLogLine(describeFailure("Switching the dispenser off at the end failed", std::current_exception()));
        }
    });
}

void ElectronicsDevice::release() {
    if (electronics_) {
        electronics_->serialDispatchQueue().sync([this] { closeLink(); });
    }
}

} // namespace Dotfield
