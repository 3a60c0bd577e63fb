#pragma once
// A USB bus of simulated adapters behind the driver library's USB seam.
// Install it with adapterdriver::setUSBBackend(bus); plug adapters in with
// plugIn. Bulk-in transfers complete on the thread that handles events, as
// with libusb: with the bytes queued towards the host, split into packets of
// the adapter's packet size that each start with the two status bytes, or,
// when nothing is queued, with a status-only packet once per latency period
// (at the start of the next 1 ms frame, so adapters answer together),
// as real adapters send them.
//
// Wire time: bytes cross each serial line at its baud rate (a start bit, the
// data bits, the parity bit and the stop bits per byte) on the bus's line
// clock. A write returns once its bytes have crossed to the peer; bytes from
// the peer reach the host in a packet once a whole packet has arrived, or at
// the adapter's next latency tick.

#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "adapterdriver/USB/USBBackend.hpp"
#include "simulators/usb/SimulatedAdapter.hpp"

namespace Simulators {

class SimulatedUSBBus final : public adapterdriver::USBBackend {
public:
    // The lines run on the clock given (the world's), else on the machine's time.
    explicit SimulatedUSBBus(std::shared_ptr<LineClock> lineClock = nullptr);
    ~SimulatedUSBBus() override;

    // Adds an adapter at the end of the bus order.
    std::shared_ptr<SimulatedAdapter> plugIn(AdapterDescription description);

    // Fault: the next init fails (the library then stays unstarted).
    void setInitFails(bool fails);

    // Handles currently open on the bus.
    std::size_t openHandleCount() const;

    // Bulk-in transfers completed so far, and the submissions made by the
    // completion callbacks themselves (a transfer handed straight back on the
    // event thread) or by any other thread.
    struct TransferCounts {
        std::uint64_t completed = 0;
        std::uint64_t submittedFromCallbacks = 0;
        std::uint64_t submittedElsewhere = 0;
    };
    TransferCounts transferCounts() const;

    // adapterdriver::USBBackend
    int init() override;
    void exit() override;
    int handleEventsTimeout(std::chrono::microseconds timeout) override;
    int getDeviceList(std::vector<std::shared_ptr<adapterdriver::USBDevice>>& devices) override;
    int getDeviceDescriptor(adapterdriver::USBDevice& device, libusb_device_descriptor& descriptor) override;
    int getConfigDescriptor(adapterdriver::USBDevice& device, std::uint8_t configIndex,
                            adapterdriver::USBConfigDescriptor& descriptor) override;
    std::uint8_t getBusNumber(adapterdriver::USBDevice& device) override;
    std::uint8_t getDeviceAddress(adapterdriver::USBDevice& device) override;
    int open(adapterdriver::USBDevice& device,
             std::unique_ptr<adapterdriver::USBDeviceHandle>& handle) override;
    void close(std::unique_ptr<adapterdriver::USBDeviceHandle> handle) override;
    int setAutoDetachKernelDriver(adapterdriver::USBDeviceHandle& handle, bool enable) override;
    int claimInterface(adapterdriver::USBDeviceHandle& handle, int interfaceNumber) override;
    int releaseInterface(adapterdriver::USBDeviceHandle& handle, int interfaceNumber) override;
    int getStringDescriptorASCII(adapterdriver::USBDeviceHandle& handle, std::uint8_t index,
                                 unsigned char* data, int length) override;
    int controlTransfer(adapterdriver::USBDeviceHandle& handle, std::uint8_t requestType,
                        std::uint8_t request, std::uint16_t value, std::uint16_t index, unsigned char* data,
                        std::uint16_t length, unsigned int timeoutMilliseconds) override;
    int bulkTransfer(adapterdriver::USBDeviceHandle& handle, unsigned char endpoint, unsigned char* data,
                     int length, int* transferred, unsigned int timeoutMilliseconds) override;
    std::unique_ptr<adapterdriver::USBTransfer> allocTransfer() override;
    int submitTransfer(adapterdriver::USBTransfer& transfer) override;
    int cancelTransfer(adapterdriver::USBTransfer& transfer) override;
    int clearHalt(adapterdriver::USBDeviceHandle& handle, unsigned char endpoint) override;
    int resetDevice(adapterdriver::USBDeviceHandle& handle) override;

private:
    struct Pending {
        adapterdriver::USBTransfer* transfer = nullptr;
        std::shared_ptr<SimulatedAdapter> adapter;
        int interface = 0;
        bool cancelled = false;
    };
    struct Completion {
        adapterdriver::USBTransfer* transfer = nullptr;
        libusb_transfer_status status = LIBUSB_TRANSFER_COMPLETED;
        std::vector<std::uint8_t> content;
    };

    // With the core's mutex held: the transfers that can complete now, the
    // machine time the next status-only packet falls due, and the line time
    // the next packet of bytes does.
    std::vector<Completion> collectCompletions(std::chrono::steady_clock::time_point now,
                                               std::chrono::nanoseconds lineNow,
                                               std::chrono::steady_clock::time_point& nextDue,
                                               std::chrono::nanoseconds& nextLineDue);

    std::shared_ptr<BusCore> core_;
    std::vector<std::shared_ptr<SimulatedAdapter>> adapters_;
    std::list<Pending> pending_;
    std::uint8_t nextAddress_ = 2;
    std::uint64_t nextHandleId_ = 1;
    std::size_t openHandles_ = 0;
    bool initFails_ = false;
    TransferCounts transferCounts_;
};

} // namespace Simulators
