#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"

#include <utility>

namespace Dotfield {

SerialPort::SerialPort(AD_HANDLE ftdiCommPort, SerialPortTiming timing)
    : serialPortCommunicationQueue_("com.veltrane.Dotfield.serialPortCommunicationQueue"),
      ftdiCommPort_(ftdiCommPort), timing_(std::move(timing)) {}

void SerialPort::closeSerialPort() {
    onPortQueue([&] {
        if (!closed_.exchange(true)) {
            AD_Close(ftdiCommPort_);
        }
    });
}

} // namespace Dotfield
