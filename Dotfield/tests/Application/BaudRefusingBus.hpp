#pragma once
// A USB bus that passes everything to another one, except that every adapter
// refuses a request to set its baud rate (vendor request 3), as an adapter
// that opens but cannot be set up does.

#include "Dotfield/tests/Application/ForwardingBus.hpp"

class BaudRefusingBus final : public ForwardingBus {
  public:
    using ForwardingBus::ForwardingBus;

    int controlTransfer(adapterdriver::USBDeviceHandle& handle, std::uint8_t requestType, std::uint8_t request,
                        std::uint16_t value, std::uint16_t index, unsigned char* data, std::uint16_t length,
                        unsigned int timeoutMilliseconds) override {
        constexpr std::uint8_t setBaudRate = 3;
        if (request == setBaudRate && (requestType & 0x80) == 0) {
            return LIBUSB_ERROR_IO;
        }
        return ForwardingBus::controlTransfer(handle, requestType, request, value, index, data, length,
                                              timeoutMilliseconds);
    }
};
