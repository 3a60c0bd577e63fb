#include "Dotfield/Instrument/Relay/Relay.hpp"

#include <utility>

#include "Dotfield/Instrument/Relay/RelayControl.hpp"

namespace Dotfield {

Relay::Relay() : serialDispatchQueue_("com.veltrane.Dotfield.relayCommunicationQueue") {}

std::shared_ptr<SerialPort> Relay::serialPort() const {
    std::lock_guard lock(mutex_);
    return serialPort_;
}

void Relay::setSerialPort(std::shared_ptr<SerialPort> serialPort) {
    {
        std::lock_guard lock(mutex_);
        serialPort_ = std::move(serialPort);
        knownState_.reset();
    }
    knownStateChanged(std::nullopt);
}

std::optional<RelayState> Relay::knownState() const {
    std::lock_guard lock(mutex_);
    return knownState_;
}

void Relay::switchRelay(RelayState state) {
    serialDispatchQueue_.sync([this, state] {
        const auto port = serialPort();
        switchExternalRelay(state, port);
        {
            std::lock_guard lock(mutex_);
            // A port replaced during the exchange leaves the new link's state unknown.
            if (serialPort_ != port) {
                return;
            }
            knownState_ = state;
        }
        knownStateChanged(state);
    });
}

void Relay::setKnownStateObserver(KnownStateObserver observer) {
    std::lock_guard lock(mutex_);
    knownStateObserver_ = std::move(observer);
}

void Relay::knownStateChanged(std::optional<RelayState> state) const {
    KnownStateObserver observer;
    {
        std::lock_guard lock(mutex_);
        observer = knownStateObserver_;
    }
    if (observer) {
        observer(state);
    }
}

} // namespace Dotfield
