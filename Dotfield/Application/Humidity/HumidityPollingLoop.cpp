#include "Dotfield/Application/Humidity/HumidityPollingLoop.hpp"

#include <utility>

#include "Dotfield/Instrument/Errors/HumiditySensorError.hpp"
#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/Instrument/Relay/RelayControl.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"

namespace Dotfield {

HumidityPollingLoop::HumidityPollingLoop(std::shared_ptr<HumiditySensor> sensor, const UserDefaults& userDefaults,
                                         Handlers handlers, std::shared_ptr<Sleeper> sleeper)
    : handlers_(std::move(handlers)), sleeper_(std::move(sleeper)),
      minHumidity_(userDefaults.doubleForKey("minHumidity").value_or(0.0)),
      maxHumidity_(userDefaults.doubleForKey("maxHumidity").value_or(85.0)), sensor_(std::move(sensor)) {}

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

void HumidityPollingLoop::run() {
    if (running_.exchange(true)) {
        return;
    }
    while (!stopRequested_.load()) {
        readOnce();
    }
    if (const auto relay = this->relay()) {
        try {
            switchRelay(*relay, RelayState::open);
        } catch (...) {
            // The loop is ending; a relay that cannot be reached stays as it is.
        }
    }
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
        triggerRelayBasedOnHumidity(reading.relativeHumidity);
    } catch (...) {
        if (handlers_.failure) {
            handlers_.failure(std::current_exception());
        }
        return;
    }
    sleeper_->sleep(pauseAfterReading);
}

void HumidityPollingLoop::triggerRelayBasedOnHumidity(double humidity) {
    const auto relay = this->relay();
    if (!relay) {
        return;
    }
    if (humidity > maxHumidity_ && humidityRelayState_ == RelayState::closed) {
        switchRelay(*relay, RelayState::open);
        humidityRelayState_ = RelayState::open;
    }
    if (humidity < minHumidity_ && humidityRelayState_ == RelayState::open) {
        switchRelay(*relay, RelayState::closed);
        humidityRelayState_ = RelayState::closed;
    }
}

void HumidityPollingLoop::switchRelay(Relay& relay, RelayState state) {
    performOnQueueSync([&relay, state] { switchExternalRelay(state, relay.serialPort()); }, relay);
}

} // namespace Dotfield
