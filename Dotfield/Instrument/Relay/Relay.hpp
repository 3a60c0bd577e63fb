#pragma once
// The USB relay box: the port it is reached through (absent until the relay
// link is open, replaced on reconnection), the serial queue on which every
// exchange with it runs, so the relay window, the humidity loop and the UV
// curing of a print take turns, and the state the box was last seen to take.
// Releasing a Relay does not close its port.

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/Instrument/Relay/RelayState.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Platform/SerialQueue.hpp"

namespace Dotfield {

class Relay final : public SerialDispatch, public std::enable_shared_from_this<Relay> {
  public:
    Relay();
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;

    SerialQueue& serialDispatchQueue() override { return serialDispatchQueue_; }

    std::shared_ptr<SerialPort> serialPort() const;
    // A new port (or none) also forgets the known state: a box reached
    // through a new link may have been reset meanwhile.
    void setSerialPort(std::shared_ptr<SerialPort> serialPort);

    // The state the last successful switch left the box in; none before the
    // first one (the box is never queried for it on its own).
    std::optional<RelayState> knownState() const;

    // Switches the box on the relay's queue and waits; run from the queue's
    // own work it switches directly. On success the known state becomes the
    // new state; on failure it stays as it was and the RelayError of
    // switchExternalRelay() is thrown.
    void switchRelay(RelayState state);

    // Told the known state after every successful switch and every new
    // port, on the thread that made the change (the relay's queue for a
    // switch). One observer; none removes it.
    using KnownStateObserver = std::function<void(std::optional<RelayState>)>;
    void setKnownStateObserver(KnownStateObserver observer);

  private:
    void knownStateChanged(std::optional<RelayState> state) const;

    SerialQueue serialDispatchQueue_;
    mutable std::mutex mutex_;
    std::shared_ptr<SerialPort> serialPort_;
    std::optional<RelayState> knownState_;
    KnownStateObserver knownStateObserver_;
};

} // namespace Dotfield
