#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"

#include <utility>

#include "adapterdriver/Receive/ReceiveListener.hpp"

namespace Dotfield {

SerialPort::SerialPort(AD_HANDLE ftdiCommPort, SerialPortTiming timing)
    : serialPortCommunicationQueue_("com.veltrane.Dotfield.serialPortCommunicationQueue"),
      ftdiCommPort_(ftdiCommPort), timing_(std::move(timing)) {
    // A handle that is not open has nothing to report; the calls on it fail.
    adapterdriver::setReceiveListener(ftdiCommPort_, [signal = bytesReceived_] { signal->raise(); });
}

bool SerialPort::waitForReceivedBytes(Clock::TimePoint deadline) {
    return timing_.clock->waitUntil(deadline, *bytesReceived_);
}

void SerialPort::closeSerialPort() {
    onPortQueue([&] {
        if (!closed_.exchange(true)) {
            AD_Close(ftdiCommPort_);
        }
    });
}

} // namespace Dotfield
