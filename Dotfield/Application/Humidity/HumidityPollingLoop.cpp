#include "Dotfield/Application/Humidity/HumidityPollingLoop.hpp"

#include <utility>

#include "Dotfield/Application/Humidity/HumidityLimits.hpp"
#include "Dotfield/Instrument/Errors/HumiditySensorError.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/MainQueue.hpp"

namespace Dotfield {

HumidityPollingLoop::HumidityPollingLoop(std::shared_ptr<HumiditySensor> sensor, const UserDefaults& userDefaults,
                                         Handlers handlers, std::shared_ptr<Sleeper> sleeper)
    : handlers_(std::move(handlers)), sleeper_(std::move(sleeper)),
      minHumidity_(userDefaults.doubleForKey("minHumidity").value_or(HumidityLimits::defaultMinimum)),
      maxHumidity_(userDefaults.doubleForKey("maxHumidity").value_or(HumidityLimits::defaultMaximum)),
      sensor_(std::move(sensor)) {}

std::shared_ptr<HumiditySensor> HumidityPollingLoop::humiditySensor() const {
    std::lock_guard lock(mutex_);
    return sensor_;
}

void HumidityPollingLoop::setHumiditySensor(std::shared_ptr<HumiditySensor> sensor) {
    std::lock_guard lock(mutex_);
    sensor_ = std::move(sensor);
}

std::shared_ptr<Relay> HumidityPollingLoop::relay() const {
    std::lock_guard lock(mutex_);
    return relay_;
}

void HumidityPollingLoop::setRelay(std::shared_ptr<Relay> relay) {
    std::lock_guard lock(mutex_);
    relay_ = std::move(relay);
}

void HumidityPollingLoop::setDisplay(Display display) {
    std::shared_ptr<DisplaySlot> slot;
    if (display) {
        slot = std::make_shared<DisplaySlot>();
        slot->display = std::move(display);
    }
    std::lock_guard lock(mutex_);
    displaySlot_ = std::move(slot);
}

void HumidityPollingLoop::setLimits(double minHumidity, double maxHumidity) {
    minHumidity_.store(minHumidity);
    maxHumidity_.store(maxHumidity);
}

void HumidityPollingLoop::run() {
    if (running_.exchange(true)) {
        return;
    }
    while (!stopRequested_.load()) {
        readOnce();
    }
    finish();
}

void HumidityPollingLoop::stopReading() {
    stopRequested_.store(true);
}

void HumidityPollingLoop::readOnce() {
    try {
        const auto sensor = humiditySensor();
        if (!sensor) {
            throw HumiditySensorError(HumiditySensorErrorKind::sensorDisconnected);
        }
        const HumidityReading reading = sensor->readFromHumiditySensor();
        if (handlers_.reading) {
            handlers_.reading(reading);
        }
        showReading(reading);
        triggerRelayBasedOnHumidity(reading.relativeHumidity);
    } catch (...) {
        if (handlers_.failure) {
            handlers_.failure(std::current_exception());
        }
        return;
    }
    sleeper_->sleep(pauseAfterReading);
}

void HumidityPollingLoop::showReading(const HumidityReading& reading) {
    std::shared_ptr<DisplaySlot> slot;
    {
        std::lock_guard lock(mutex_);
        slot = displaySlot_;
    }
    if (!slot || !slot->pending.tryWait()) {
        return;
    }
    MainQueue::main().async([slot, reading] {
        slot->display(reading);
        slot->pending.signal();
    });
}

void HumidityPollingLoop::triggerRelayBasedOnHumidity(double humidity) {
    const auto relay = this->relay();
    if (!relay) {
        return;
    }
    // The box's state is unknown until something has switched it, so the
    // first reading outside the band switches whatever the box was left in.
    if (humidity > maxHumidity_.load() && relay->knownState() != RelayState::open) {
        relay->switchRelay(RelayState::open);
    }
    if (humidity < minHumidity_.load() && relay->knownState() != RelayState::closed) {
        relay->switchRelay(RelayState::closed);
    }
}

void HumidityPollingLoop::finish() {
    if (const auto relay = this->relay()) {
        try {
            relay->switchRelay(RelayState::open);
        } catch (...) {
            // The loop is ending; a relay that cannot be reached stays as it is.
        }
    }
    if (const auto sensor = humiditySensor()) {
        sensor->releaseHumiditySensor();
    }
    ended_.store(true);
}

} // namespace Dotfield
