#pragma once
// The seam between the driver library and the USB stack: exactly the USB
// operations the library performs, one virtual function each. Production binds
// it to libusb-1.0 (LibusbBackend); tests bind it to the simulated bus in
// simulators/usb. Result codes, transfer states and the device descriptor are
// libusb's own, so the library reads the same values whichever side answers.
//
// This header is installed with the library but is not part of the AD_ API:
// only tests and simulators use it.

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include <libusb.h>

namespace adapterdriver {

// One endpoint of alternate setting 0.
struct USBEndpointDescriptor {
    std::uint8_t bEndpointAddress = 0; // bit 7 set: IN (device to host)
    std::uint8_t bmAttributes = 0;     // 2: bulk
    std::uint16_t wMaxPacketSize = 0;
};

// Alternate setting 0 of one interface.
struct USBInterfaceDescriptor {
    std::uint8_t bInterfaceNumber = 0;
    std::vector<USBEndpointDescriptor> endpoints;
};

// A configuration descriptor with its interfaces; bNumInterfaces is
// interfaces.size().
struct USBConfigDescriptor {
    std::uint8_t bConfigurationValue = 1;
    std::vector<USBInterfaceDescriptor> interfaces;
};

// A device on the bus, as enumerated (libusb_device). Opaque: each backend
// derives its own type.
class USBDevice {
public:
    virtual ~USBDevice() = default;
    USBDevice(const USBDevice&) = delete;
    USBDevice& operator=(const USBDevice&) = delete;

protected:
    USBDevice() = default;
};

// An opened device (libusb_device_handle). Opaque like USBDevice.
class USBDeviceHandle {
public:
    virtual ~USBDeviceHandle() = default;
    USBDeviceHandle(const USBDeviceHandle&) = delete;
    USBDeviceHandle& operator=(const USBDeviceHandle&) = delete;

protected:
    USBDeviceHandle() = default;
};

// One asynchronous bulk transfer (libusb_transfer), allocated once and
// submitted again and again. The caller fills the request fields before each
// submission; the backend fills status and actualLength and then calls the
// callback on the thread that handles events.
class USBTransfer {
public:
    using Callback = void (*)(USBTransfer& transfer);

    virtual ~USBTransfer() = default;
    USBTransfer(const USBTransfer&) = delete;
    USBTransfer& operator=(const USBTransfer&) = delete;

    // Request.
    USBDeviceHandle* deviceHandle = nullptr;
    unsigned char endpoint = 0;
    unsigned char* buffer = nullptr;
    int length = 0;
    unsigned int timeoutMilliseconds = 0; // 0: no limit
    Callback callback = nullptr;
    void* userData = nullptr;

    // Result.
    libusb_transfer_status status = LIBUSB_TRANSFER_COMPLETED;
    int actualLength = 0;

protected:
    USBTransfer() = default;
};

class USBBackend {
public:
    virtual ~USBBackend() = default;

    // libusb_init / libusb_exit on the backend's (default) context.
    virtual int init() = 0;
    virtual void exit() = 0;

    // libusb_handle_events_timeout: waits at most the time-out for transfer
    // completions and runs their callbacks on the calling thread.
    virtual int handleEventsTimeout(std::chrono::microseconds timeout) = 0;

    // libusb_get_device_list: the devices in bus order, or a negative libusb
    // error (then the list is left empty).
    virtual int getDeviceList(std::vector<std::shared_ptr<USBDevice>>& devices) = 0;
    virtual int getDeviceDescriptor(USBDevice& device, libusb_device_descriptor& descriptor) = 0;
    // libusb_get_config_descriptor followed by libusb_free_config_descriptor.
    virtual int getConfigDescriptor(USBDevice& device, std::uint8_t configIndex,
                                    USBConfigDescriptor& descriptor) = 0;
    virtual std::uint8_t getBusNumber(USBDevice& device) = 0;
    virtual std::uint8_t getDeviceAddress(USBDevice& device) = 0;

    virtual int open(USBDevice& device, std::unique_ptr<USBDeviceHandle>& handle) = 0;
    virtual void close(std::unique_ptr<USBDeviceHandle> handle) = 0;

    // libusb_set_auto_detach_kernel_driver: a kernel driver bound to an
    // interface is detached when it is claimed and re-attached on release.
    virtual int setAutoDetachKernelDriver(USBDeviceHandle& handle, bool enable) = 0;
    virtual int claimInterface(USBDeviceHandle& handle, int interfaceNumber) = 0;
    virtual int releaseInterface(USBDeviceHandle& handle, int interfaceNumber) = 0;

    // libusb_get_string_descriptor_ascii: at most length - 1 characters and a
    // terminator; returns the characters written, or a negative libusb error.
    virtual int getStringDescriptorASCII(USBDeviceHandle& handle, std::uint8_t index, unsigned char* data,
                                         int length) = 0;
    // libusb_control_transfer: bytes transferred, or a negative libusb error.
    virtual int controlTransfer(USBDeviceHandle& handle, std::uint8_t requestType, std::uint8_t request,
                                std::uint16_t value, std::uint16_t index, unsigned char* data,
                                std::uint16_t length, unsigned int timeoutMilliseconds) = 0;
    // libusb_bulk_transfer (synchronous).
    virtual int bulkTransfer(USBDeviceHandle& handle, unsigned char endpoint, unsigned char* data, int length,
                             int* transferred, unsigned int timeoutMilliseconds) = 0;

    // libusb_alloc_transfer (no isochronous packets); destroying the transfer
    // is libusb_free_transfer and must not happen while it is in flight.
    virtual std::unique_ptr<USBTransfer> allocTransfer() = 0;
    virtual int submitTransfer(USBTransfer& transfer) = 0;
    // libusb_cancel_transfer: the callback still runs, with
    // LIBUSB_TRANSFER_CANCELLED, unless the transfer had already completed.
    virtual int cancelTransfer(USBTransfer& transfer) = 0;

    virtual int clearHalt(USBDeviceHandle& handle, unsigned char endpoint) = 0;
    virtual int resetDevice(USBDeviceHandle& handle) = 0;
};

} // namespace adapterdriver
