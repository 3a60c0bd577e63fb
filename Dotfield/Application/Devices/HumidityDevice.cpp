#include "Dotfield/Application/Devices/HumidityDevice.hpp"

#include <string>
#include <utility>

#include "Dotfield/Application/Devices/MainThreadWait.hpp"
#include "Dotfield/Application/Humidity/HumidityPollingLoop.hpp"
#include "Dotfield/Application/RecoveryAlerts.hpp"
#include "Dotfield/Instrument/Errors/HumiditySensorError.hpp"
#include "Dotfield/Instrument/Humidity/HumiditySensor.hpp"
#include "Dotfield/Platform/MainQueue.hpp"

namespace Dotfield {

namespace {

std::string describe(std::exception_ptr error) {
    try {
        std::rethrow_exception(std::move(error));
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "an error of unknown type";
    }
}

} // namespace

HumidityDevice::HumidityDevice(std::shared_ptr<DeviceContext> context) : context_(std::move(context)) {}

HumidityDevice::~HumidityDevice() {
    stopLoop();
}

void HumidityDevice::setRelaySource(std::function<std::shared_ptr<Relay>()> relay) {
    relaySource_ = std::move(relay);
}

void HumidityDevice::relayConnected(const std::shared_ptr<Relay>& relay) {
    if (loop_ && !loop_->relay()) {
        loop_->setRelay(relay);
    }
}

void HumidityDevice::relayDropped(const std::shared_ptr<Relay>& relay) {
    // The humidity control must not keep switching a relay without a link.
    if (loop_ && loop_->relay() == relay) {
        loop_->setRelay(nullptr);
    }
}

// ---- Launch ------------------------------------------------------------------------

void HumidityDevice::connect() {
    std::lock_guard lock(threadMutex_);
    if (thread_.joinable()) {
        return;
    }
    auto ended = std::make_shared<std::promise<void>>();
    threadEnded_ = ended->get_future().share();
    thread_ = std::thread([weak = weak_from_this(), ended] {
        std::shared_ptr<HumidityPollingLoop> loop;
        if (const auto self = weak.lock()) {
            loop = self->bringUp();
        }
        // The loop runs without holding the device, which stops it when it goes.
        if (loop) {
            loop->run();
        }
        ended->set_value();
        MainQueue::main().wakeWaitingMainThread();
    });
}

std::shared_ptr<HumidityPollingLoop> HumidityDevice::bringUp() {
    std::shared_ptr<HumiditySensor> sensor;
    try {
        sensor = HumiditySensor::connectToHumiditySensor();
    } catch (...) {
        // No sensor: no window, no alert.
        context_->reportStatus(ShellDevice::humiditySensor, "Humidity sensor: not connected");
        return nullptr;
    }
    HumidityPollingLoop::Handlers handlers{
        .reading = [quiet = errorsQuiet_](const HumidityReading&) { quiet->store(false); },
        .failure =
            [quiet = errorsQuiet_, context = std::weak_ptr(context_)](std::exception_ptr error) {
                const auto shell = context.lock();
                if (!shell) {
                    return;
                }
                if (quiet->load()) {
                    shell->log("Humidity control error after its recovery was cancelled: " + describe(error));
                    return;
                }
                shell->handleError(std::move(error));
            }};
    auto loop = std::make_shared<HumidityPollingLoop>(sensor, *context_->userDefaults(), std::move(handlers),
                                                      context_->environment().humiditySleeper);
    const bool started = MainQueue::main().sync([this, &loop] {
        if (context_->terminating()) {
            return false;
        }
        loop_ = loop;
        if (const auto relay = relaySource_ ? relaySource_() : nullptr) {
            loop->setRelay(relay);
        }
        context_->windowStep(OperatorWindow::humidity, "show the humidity window", true);
        context_->reportStatus(ShellDevice::humiditySensor, "Humidity sensor: connected");
        return true;
    });
    if (!started) {
        sensor->releaseHumiditySensor(context_->environment().deviceReleaseWait);
        return nullptr;
    }
    return loop;
}

// ---- Recovery ------------------------------------------------------------------------

std::optional<RecoveryAlert> HumidityDevice::recoveryAlert(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const HumiditySensorError& e) {
        return RecoveryAlert{AlertDevice::humiditySensor,
                             ErrorAlertRequest{.content = humidityRecoveryAlertContent(e),
                                               .defaultAction = [this] { reconnect(); },
                                               .alternateAction =
                                                   [this] {
                                                       quietErrors();
                                                       context_->log(userCancelledErrorRecovery);
                                                   }}};
    } catch (...) {
        return std::nullopt;
    }
}

void HumidityDevice::releaseSensorOf(const HumidityPollingLoop& loop) const {
    if (const auto sensor = loop.humiditySensor();
        sensor && !sensor->releaseHumiditySensor(context_->environment().deviceReleaseWait)) {
        context_->log("The humidity sensor stayed busy; its handle was not released");
    }
}

void HumidityDevice::reconnect() {
    const auto loop = loop_;
    if (!loop) {
        context_->log("No humidity sensor to reconnect");
        return;
    }
    releaseSensorOf(*loop);
    try {
        loop->setHumiditySensor(HumiditySensor::connectToHumiditySensor());
        context_->reportStatus(ShellDevice::humiditySensor, "Humidity sensor: connected");
        return;
    } catch (...) {
    }
    // The sensor is gone: the loop ends now; its thread is joined, and the
    // loop dropped, once this alert (on which the loop may be waiting) is closed.
    loop->stopReading();
    MainQueue::main().async([weak = weak_from_this(), loop] {
        const auto self = weak.lock();
        if (self && self->loop_ == loop) {
            self->stopLoop();
            self->context_->dropWindow(OperatorWindow::humidity);
            self->context_->reportStatus(ShellDevice::humiditySensor, "Humidity sensor: not connected");
        }
    });
}

// ---- The end of the run ------------------------------------------------------------------

void HumidityDevice::release() {
    stopLoop();
}

void HumidityDevice::stopLoop() {
    std::thread thread;
    std::shared_future<void> ended;
    {
        std::lock_guard lock(threadMutex_);
        thread = std::move(thread_);
        ended = threadEnded_;
    }
    const auto loop = std::exchange(loop_, nullptr);
    if (loop) {
        loop->stopReading();
    }
    if (thread.joinable()) {
        if (thread.get_id() == std::this_thread::get_id()) {
            // The loop's own thread let go of the device last, on its way out:
            // the main thread joins it.
            auto ending = std::make_shared<std::thread>(std::move(thread));
            MainQueue::main().async([ending] { ending->join(); });
        } else {
            const auto wait = context_->environment().deviceReleaseWait;
            if (!waitServingMainThread(ended, wait)) {
                context_->log("The humidity loop did not end in time; waiting for it");
                while (!waitServingMainThread(ended, wait)) {
                }
            }
            thread.join();
        }
    }
    if (loop) {
        releaseSensorOf(*loop);
    }
}

} // namespace Dotfield

