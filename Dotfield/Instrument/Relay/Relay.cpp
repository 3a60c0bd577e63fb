#include "Dotfield/Instrument/Relay/Relay.hpp"

#include <utility>

namespace Dotfield {

Relay::Relay() : serialDispatchQueue_("com.veltrane.Dotfield.relayCommunicationQueue") {}

std::shared_ptr<SerialPort> Relay::serialPort() const {
    std::lock_guard lock(portMutex_);
    return serialPort_;
}

void Relay::setSerialPort(std::shared_ptr<SerialPort> serialPort) {
    std::lock_guard lock(portMutex_);
    serialPort_ = std::move(serialPort);
}

} // namespace Dotfield
