#include "adapterdriver/LineSettings/VendorRequest.hpp"

#include <shared_mutex>

#include "adapterdriver/Device/ChipType.hpp"

namespace adapterdriver {

namespace {

constexpr std::uint8_t requestTypeOut = 0x40; // vendor, device, host to device
constexpr std::uint8_t requestTypeIn = 0xC0;  // vendor, device, device to host

int control(DeviceExtension& record, std::uint8_t type, std::uint8_t request, std::uint16_t value,
            std::uint16_t index, unsigned char* data, std::uint16_t length) {
    std::shared_lock guard(record.usbMutex);
    if (record.closed || !record.usbHandle) {
        return LIBUSB_ERROR_NO_DEVICE;
    }
    return record.backend->controlTransfer(*record.usbHandle, type, request, value, index, data, length,
                                           record.transferTimeout.load());
}

} // namespace

AD_STATUS vendorRequestOut(DeviceExtension& record, std::uint8_t request, std::uint16_t value,
                           std::uint16_t index) {
    return control(record, requestTypeOut, request, value, index, nullptr, 0) == 0 ? AD_OK : AD_IO_ERROR;
}

AD_STATUS vendorRequestIn(DeviceExtension& record, std::uint8_t request, std::uint16_t value,
                          std::uint16_t index, unsigned char* data, std::uint16_t length) {
    return control(record, requestTypeIn, request, value, index, data, length) == static_cast<int>(length)
               ? AD_OK
               : AD_IO_ERROR;
}

bool isBMOrLater(const DeviceExtension& record) {
    return adapterdriver::isBMOrLater(record.bcdDevice(), record.serialNumberIndex());
}

void updateTransferTimeout(DeviceExtension& record) {
    const std::uint32_t packetPayload = record.maxPacketSize > 2 ? record.maxPacketSize - 2u : 1u;
    record.transferTimeout =
        (record.inTransferSize.load() / packetPayload) * record.latency.load() + record.deadmanTimeout.load();
}

AD_STATUS pollModemStatus(DeviceExtension& record) {
    unsigned char reply[2] = {0xFF, 0xFF};
    const AD_STATUS status =
        vendorRequestIn(record, requestModemStatus, 0, record.modemStatusIndex, reply, 2);
    if (status != AD_OK) {
        return modemStatusUnreadable;
    }
    record.lastModemStatus = static_cast<std::uint8_t>(reply[0] & 0xF0);
    record.lastLineStatus = reply[1];
    return AD_OK;
}

AD_STATUS getLatencyTimer(DeviceExtension& record, std::uint8_t& latency) {
    if (!isBMOrLater(record)) {
        return AD_NOT_SUPPORTED;
    }
    unsigned char value = 0;
    const AD_STATUS status =
        vendorRequestIn(record, requestGetLatencyTimer, 0, portIndexOf(record), &value, 1);
    if (status == AD_OK) {
        latency = value;
    }
    return status;
}

} // namespace adapterdriver
