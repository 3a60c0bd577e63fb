#pragma once
// A USB bus that passes everything to another one; a test bus overrides the
// calls it interferes with.

#include <memory>

#include "adapterdriver/USB/USBBackend.hpp"

class ForwardingBus : public adapterdriver::USBBackend {
  public:
    explicit ForwardingBus(std::shared_ptr<adapterdriver::USBBackend> bus) : bus_(std::move(bus)) {}

    int controlTransfer(adapterdriver::USBDeviceHandle& handle, std::uint8_t requestType, std::uint8_t request,
                        std::uint16_t value, std::uint16_t index, unsigned char* data, std::uint16_t length,
                        unsigned int timeoutMilliseconds) override {
        return bus_->controlTransfer(handle, requestType, request, value, index, data, length, timeoutMilliseconds);
    }
    int init() override { return bus_->init(); }
    void exit() override { bus_->exit(); }
    int handleEventsTimeout(std::chrono::microseconds timeout) override { return bus_->handleEventsTimeout(timeout); }
    int getDeviceList(std::vector<std::shared_ptr<adapterdriver::USBDevice>>& devices) override {
        return bus_->getDeviceList(devices);
    }
    int getDeviceDescriptor(adapterdriver::USBDevice& device, libusb_device_descriptor& descriptor) override {
        return bus_->getDeviceDescriptor(device, descriptor);
    }
    int getConfigDescriptor(adapterdriver::USBDevice& device, std::uint8_t configIndex,
                            adapterdriver::USBConfigDescriptor& descriptor) override {
        return bus_->getConfigDescriptor(device, configIndex, descriptor);
    }
    std::uint8_t getBusNumber(adapterdriver::USBDevice& device) override { return bus_->getBusNumber(device); }
    std::uint8_t getDeviceAddress(adapterdriver::USBDevice& device) override {
        return bus_->getDeviceAddress(device);
    }
    int open(adapterdriver::USBDevice& device, std::unique_ptr<adapterdriver::USBDeviceHandle>& handle) override {
        return bus_->open(device, handle);
    }
    void close(std::unique_ptr<adapterdriver::USBDeviceHandle> handle) override { bus_->close(std::move(handle)); }
    int setAutoDetachKernelDriver(adapterdriver::USBDeviceHandle& handle, bool enable) override {
        return bus_->setAutoDetachKernelDriver(handle, enable);
    }
    int claimInterface(adapterdriver::USBDeviceHandle& handle, int interfaceNumber) override {
        return bus_->claimInterface(handle, interfaceNumber);
    }
    int releaseInterface(adapterdriver::USBDeviceHandle& handle, int interfaceNumber) override {
        return bus_->releaseInterface(handle, interfaceNumber);
    }
    int getStringDescriptorASCII(adapterdriver::USBDeviceHandle& handle, std::uint8_t index, unsigned char* data,
                                 int length) override {
        return bus_->getStringDescriptorASCII(handle, index, data, length);
    }
    int bulkTransfer(adapterdriver::USBDeviceHandle& handle, unsigned char endpoint, unsigned char* data, int length,
                     int* transferred, unsigned int timeoutMilliseconds) override {
        return bus_->bulkTransfer(handle, endpoint, data, length, transferred, timeoutMilliseconds);
    }
    std::unique_ptr<adapterdriver::USBTransfer> allocTransfer() override { return bus_->allocTransfer(); }
    int submitTransfer(adapterdriver::USBTransfer& transfer) override { return bus_->submitTransfer(transfer); }
    int cancelTransfer(adapterdriver::USBTransfer& transfer) override { return bus_->cancelTransfer(transfer); }
    int clearHalt(adapterdriver::USBDeviceHandle& handle, unsigned char endpoint) override {
        return bus_->clearHalt(handle, endpoint);
    }
    int resetDevice(adapterdriver::USBDeviceHandle& handle) override { return bus_->resetDevice(handle); }

  private:
    std::shared_ptr<adapterdriver::USBBackend> bus_;
};
