#pragma once
// The vendor control requests on endpoint 0 through which every setting of an
// adapter is made, and the values derived from them.

#include <cstdint>

#include "adapterdriver/Device/DeviceExtension.hpp"

namespace adapterdriver {

enum VendorRequestCode : std::uint8_t {
    requestReset = 0,
    requestModemControl = 1,
    requestFlowControl = 2,
    requestBaudRate = 3,
    requestDataCharacteristics = 4,
    requestModemStatus = 5,
    requestEventCharacter = 6,
    requestErrorCharacter = 7,
    requestSetLatencyTimer = 9,
    requestGetLatencyTimer = 10,
    requestSetBitMode = 11,
    requestGetBitMode = 12,
    requestReadEEPROM = 0x90,
    requestWriteEEPROM = 0x91,
    requestEraseEEPROM = 0x92,
};

// Values of the reset request.
constexpr std::uint16_t resetSIO = 0;
constexpr std::uint16_t resetPurgeReceive = 1;
constexpr std::uint16_t resetPurgeTransmit = 2;

// A host-to-device request without data; AD_IO_ERROR unless the adapter took it.
AD_STATUS vendorRequestOut(DeviceExtension& record, std::uint8_t request, std::uint16_t value,
                           std::uint16_t index);

// A device-to-host request; succeeds only when exactly length bytes arrived.
AD_STATUS vendorRequestIn(DeviceExtension& record, std::uint8_t request, std::uint16_t value,
                          std::uint16_t index, unsigned char* data, std::uint16_t length);

// The index of most requests: interface number + 1 on multi-interface chips, else 0.
inline std::uint16_t portIndexOf(const DeviceExtension& record) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(record.portIndex));
}

// BM-or-later chips have the latency timer, bit modes and the extra divisor bit.
bool isBMOrLater(const DeviceExtension& record);

// Transfer time-out = in-transfer size / (packet size - 2) * latency + deadman time-out.
void updateTransferTimeout(DeviceExtension& record);

// Reads the modem and line status bytes into the record; modemStatusUnreadable
// when the request fails (the record keeps its old values).
constexpr AD_STATUS modemStatusUnreadable = 0xFFFFFFFFu;
AD_STATUS pollModemStatus(DeviceExtension& record);

// AD_GetLatencyTimer on a record: AD_NOT_SUPPORTED before BM chips.
AD_STATUS getLatencyTimer(DeviceExtension& record, std::uint8_t& latency);

// AD_ResetDevice and AD_Purge on a record (LineSettings.cpp).
AD_STATUS resetDevice(DeviceExtension& record);
AD_STATUS purge(DeviceExtension& record, std::uint32_t mask);

} // namespace adapterdriver
