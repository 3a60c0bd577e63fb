#pragma once
// One open USB serial adapter: the driver handle and the serial queue on which
// every driver call for it runs. Work that already runs on the port's queue (a
// nested call of an exchange) runs directly instead of queueing behind itself.
//
// A port is made only by openSerialPort and closed only by closeSerialPort;
// releasing it does not close the handle. Once closed, the handle is never
// handed to the driver again: every further call fails its status check.
//
// The driver tells the port when bytes arrive (or the device goes, or the
// handle closes), so that waits for bytes sleep until then.

#include <atomic>
#include <memory>
#include <type_traits>

#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/SafeState/EnergisedOutputs.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortTiming.hpp"
#include "Dotfield/Platform/SerialQueue.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"
#include "adapterdriver/adapterdriver.h"

namespace Dotfield {

class SerialPort : public std::enable_shared_from_this<SerialPort> {
  public:
    explicit SerialPort(AD_HANDLE ftdiCommPort, SerialPortTiming timing = {});
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    AD_HANDLE ftdiCommPort() const { return ftdiCommPort_; }
    SerialQueue& serialPortCommunicationQueue() { return serialPortCommunicationQueue_; }
    const SerialPortTiming& timing() const { return timing_; }
    bool isClosed() const { return closed_.load(); }

    // Closes the driver handle on the port's queue; never fails, and does
    // nothing the second time.
    void closeSerialPort();

    // Sleeps until the driver reports received bytes, a vanished device or
    // the close (false), or until the timing's clock reaches the deadline
    // (true). A report that came since the last wait ends it at once.
    bool waitForReceivedBytes(Clock::TimePoint deadline);

    // Runs the work on the port's queue (directly when already there).
    template <typename F> std::invoke_result_t<F&> onPortQueue(F&& work) {
        return serialPortCommunicationQueue_.sync(work);
    }

    // Runs one driver call with the handle on the port's queue; a closed port
    // fails with failedStatusCheck before the driver is reached.
    template <typename F> AD_STATUS callDriver(F&& driverCall) {
        return onPortQueue([&]() -> AD_STATUS {
            if (closed_.load()) {
                Diagnostics::printWithContext("Driver call on a closed serial port");
                EnergisedOutputs::shared().linkFailed();
                throw Diagnostics::logAndReturnError(CommunicationsError::failedStatusCheck());
            }
            return driverCall(ftdiCommPort_);
        });
    }

  private:
    SerialQueue serialPortCommunicationQueue_;
    const AD_HANDLE ftdiCommPort_;
    const SerialPortTiming timing_;
    // Shared with the driver's listener, which may outlive the port.
    const std::shared_ptr<WakeSignal> bytesReceived_ = std::make_shared<WakeSignal>();
    std::atomic<bool> closed_{false};
};

} // namespace Dotfield
