#include "adapterdriver/USB/LibusbBackend.hpp"

#include <climits>

namespace adapterdriver {

namespace {

class LibusbDevice final : public USBDevice {
public:
    explicit LibusbDevice(libusb_device* device) : device_(libusb_ref_device(device)) {}
    ~LibusbDevice() override { libusb_unref_device(device_); }
    libusb_device* get() const { return device_; }

private:
    libusb_device* device_;
};

class LibusbDeviceHandle final : public USBDeviceHandle {
public:
    explicit LibusbDeviceHandle(libusb_device_handle* handle) : handle_(handle) {}
    ~LibusbDeviceHandle() override {
        if (handle_ != nullptr) {
            libusb_close(handle_);
        }
    }
    libusb_device_handle* get() const { return handle_; }

private:
    libusb_device_handle* handle_;
};

class LibusbTransfer final : public USBTransfer {
public:
    LibusbTransfer() : transfer_(libusb_alloc_transfer(0)) {}
    ~LibusbTransfer() override {
        if (transfer_ != nullptr) {
            libusb_free_transfer(transfer_);
        }
    }
    bool valid() const { return transfer_ != nullptr; }

    int submit() {
        libusb_fill_bulk_transfer(transfer_, static_cast<LibusbDeviceHandle*>(deviceHandle)->get(), endpoint,
                                  buffer, length, &LibusbTransfer::completed, this, timeoutMilliseconds);
        return libusb_submit_transfer(transfer_);
    }
    int cancel() { return libusb_cancel_transfer(transfer_); }

private:
    static void LIBUSB_CALL completed(libusb_transfer* transfer) {
        auto* self = static_cast<LibusbTransfer*>(transfer->user_data);
        self->status = transfer->status;
        self->actualLength = transfer->actual_length;
        if (self->callback != nullptr) {
            self->callback(*self);
        }
    }

    libusb_transfer* transfer_;
};

libusb_device* raw(USBDevice& device) {
    return static_cast<LibusbDevice&>(device).get();
}
libusb_device_handle* raw(USBDeviceHandle& handle) {
    return static_cast<LibusbDeviceHandle&>(handle).get();
}

class LibusbBackend final : public USBBackend {
public:
    int init() override { return libusb_init(nullptr); }
    void exit() override { libusb_exit(nullptr); }

    int handleEventsTimeout(std::chrono::microseconds timeout) override {
        timeval tv{};
        tv.tv_sec = static_cast<time_t>(timeout.count() / 1'000'000);
        tv.tv_usec = static_cast<suseconds_t>(timeout.count() % 1'000'000);
        return libusb_handle_events_timeout(nullptr, &tv);
    }

    int getDeviceList(std::vector<std::shared_ptr<USBDevice>>& devices) override {
        devices.clear();
        libusb_device** list = nullptr;
        const ssize_t count = libusb_get_device_list(nullptr, &list);
        if (count < 0) {
            return static_cast<int>(count);
        }
        devices.reserve(static_cast<std::size_t>(count));
        for (ssize_t i = 0; i < count; ++i) {
            devices.push_back(std::make_shared<LibusbDevice>(list[i]));
        }
        libusb_free_device_list(list, 1);
        return static_cast<int>(count);
    }

    int getDeviceDescriptor(USBDevice& device, libusb_device_descriptor& descriptor) override {
        return libusb_get_device_descriptor(raw(device), &descriptor);
    }

    int getConfigDescriptor(USBDevice& device, std::uint8_t configIndex,
                            USBConfigDescriptor& descriptor) override {
        libusb_config_descriptor* config = nullptr;
        const int result = libusb_get_config_descriptor(raw(device), configIndex, &config);
        if (result != LIBUSB_SUCCESS) {
            return result;
        }
        descriptor = USBConfigDescriptor{};
        descriptor.bConfigurationValue = config->bConfigurationValue;
        for (int i = 0; i < config->bNumInterfaces; ++i) {
            const libusb_interface& interface = config->interface[i];
            USBInterfaceDescriptor copy;
            if (interface.num_altsetting > 0) {
                const libusb_interface_descriptor& setting = interface.altsetting[0];
                copy.bInterfaceNumber = setting.bInterfaceNumber;
                for (int e = 0; e < setting.bNumEndpoints; ++e) {
                    const libusb_endpoint_descriptor& endpoint = setting.endpoint[e];
                    copy.endpoints.push_back(
                        {endpoint.bEndpointAddress, endpoint.bmAttributes, endpoint.wMaxPacketSize});
                }
            }
            descriptor.interfaces.push_back(std::move(copy));
        }
        libusb_free_config_descriptor(config);
        return LIBUSB_SUCCESS;
    }

    std::uint8_t getBusNumber(USBDevice& device) override { return libusb_get_bus_number(raw(device)); }
    std::uint8_t getDeviceAddress(USBDevice& device) override {
        return libusb_get_device_address(raw(device));
    }

    int open(USBDevice& device, std::unique_ptr<USBDeviceHandle>& handle) override {
        libusb_device_handle* opened = nullptr;
        const int result = libusb_open(raw(device), &opened);
        if (result == LIBUSB_SUCCESS) {
            handle = std::make_unique<LibusbDeviceHandle>(opened);
        }
        return result;
    }
    void close(std::unique_ptr<USBDeviceHandle> handle) override { handle.reset(); }

    int setAutoDetachKernelDriver(USBDeviceHandle& handle, bool enable) override {
        return libusb_set_auto_detach_kernel_driver(raw(handle), enable ? 1 : 0);
    }
    int claimInterface(USBDeviceHandle& handle, int interfaceNumber) override {
        return libusb_claim_interface(raw(handle), interfaceNumber);
    }
    int releaseInterface(USBDeviceHandle& handle, int interfaceNumber) override {
        return libusb_release_interface(raw(handle), interfaceNumber);
    }

    int getStringDescriptorASCII(USBDeviceHandle& handle, std::uint8_t index, unsigned char* data,
                                 int length) override {
        return libusb_get_string_descriptor_ascii(raw(handle), index, data, length);
    }

    int controlTransfer(USBDeviceHandle& handle, std::uint8_t requestType, std::uint8_t request,
                        std::uint16_t value, std::uint16_t index, unsigned char* data, std::uint16_t length,
                        unsigned int timeoutMilliseconds) override {
        return libusb_control_transfer(raw(handle), requestType, request, value, index, data, length,
                                       timeoutMilliseconds);
    }

    int bulkTransfer(USBDeviceHandle& handle, unsigned char endpoint, unsigned char* data, int length,
                     int* transferred, unsigned int timeoutMilliseconds) override {
        return libusb_bulk_transfer(raw(handle), endpoint, data, length, transferred, timeoutMilliseconds);
    }

    std::unique_ptr<USBTransfer> allocTransfer() override {
        auto transfer = std::make_unique<LibusbTransfer>();
        if (!transfer->valid()) {
            return nullptr;
        }
        return transfer;
    }
    int submitTransfer(USBTransfer& transfer) override {
        return static_cast<LibusbTransfer&>(transfer).submit();
    }
    int cancelTransfer(USBTransfer& transfer) override {
        return static_cast<LibusbTransfer&>(transfer).cancel();
    }

    int clearHalt(USBDeviceHandle& handle, unsigned char endpoint) override {
        return libusb_clear_halt(raw(handle), endpoint);
    }
    int resetDevice(USBDeviceHandle& handle) override { return libusb_reset_device(raw(handle)); }
};

} // namespace

std::shared_ptr<USBBackend> makeLibusbBackend() {
    return std::make_shared<LibusbBackend>();
}

} // namespace adapterdriver
