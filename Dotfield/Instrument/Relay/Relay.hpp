#pragma once
// The USB relay box: the port it is reached through (absent until the relay
// link is open, replaced on reconnection) and the serial queue on which every
// exchange with it runs, so the relay window, the humidity loop and the UV
// curing of a print take turns. Releasing a Relay does not close its port.

#include <memory>
#include <mutex>

#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Platform/SerialQueue.hpp"

namespace Dotfield {

class Relay final : public SerialDispatch {
  public:
    Relay();
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;

    SerialQueue& serialDispatchQueue() override { return serialDispatchQueue_; }

    std::shared_ptr<SerialPort> serialPort() const;
    void setSerialPort(std::shared_ptr<SerialPort> serialPort);

  private:
    SerialQueue serialDispatchQueue_;
    mutable std::mutex portMutex_;
    std::shared_ptr<SerialPort> serialPort_;
};

} // namespace Dotfield
