// The line-setting entry points: baud rate, data format, flow control, modem
// lines, special characters, time-outs, latency, bit mode, reset and purge.

#include <algorithm>

#include "adapterdriver/Device/ChipType.hpp"
#include "adapterdriver/Device/HandleAccess.hpp"
#include "adapterdriver/LineSettings/BaudDivisor.hpp"
#include "adapterdriver/LineSettings/VendorRequest.hpp"
#include "adapterdriver/Receive/ReceiveRing.hpp"

namespace adapterdriver {

namespace {

constexpr std::uint16_t dtrOn = 0x0101;
constexpr std::uint16_t dtrOff = 0x0100;
constexpr std::uint16_t rtsOn = 0x0202;
constexpr std::uint16_t rtsOff = 0x0200;
constexpr std::uint16_t breakBit = 0x4000;
constexpr int purgeReceiveRepeats = 6;

AD_STATUS modemControl(AD_HANDLE handle, std::uint16_t value) {
    return withRecord(handle, [&](DeviceExtension& record) {
        return vendorRequestOut(record, requestModemControl, value, portIndexOf(record));
    });
}

AD_STATUS sendBreak(AD_HANDLE handle, bool on) {
    return withRecord(handle, [&](DeviceExtension& record) {
        const auto word = static_cast<std::uint16_t>(record.linePropertyWord.load() | (on ? breakBit : 0));
        return vendorRequestOut(record, requestDataCharacteristics, word, portIndexOf(record));
    });
}

} // namespace

AD_STATUS resetDevice(DeviceExtension& record) {
    if (vendorRequestOut(record, requestReset, resetSIO, 0) != AD_OK) {
        return AD_IO_ERROR;
    }
    return purge(record, AD_PURGE_RX | AD_PURGE_TX);
}

AD_STATUS purge(DeviceExtension& record, std::uint32_t mask) {
    AD_STATUS receiveStatus = AD_OK;
    if ((mask & AD_PURGE_RX) != 0) {
        // The adapter's receive buffer is flushed several times over: bytes
        // still in flight from the line can land in it after the first flush.
        for (int i = 0; i < purgeReceiveRepeats; ++i) {
            receiveStatus = vendorRequestOut(record, requestReset, resetPurgeReceive, portIndexOf(record));
        }
        if (receiveStatus != AD_OK) {
            return receiveStatus;
        }
        discardReceivedData(record);
    }
    if ((mask & AD_PURGE_TX) != 0) {
        return vendorRequestOut(record, requestReset, resetPurgeTransmit, portIndexOf(record));
    }
    return receiveStatus;
}

} // namespace adapterdriver

using namespace adapterdriver;

extern "C" {

AD_STATUS AD_SetBaudRate(AD_HANDLE handle, uint32_t baudRate) {
    return withRecord(handle, [&](DeviceExtension& record) -> AD_STATUS {
        const std::uint16_t bcd = record.bcdDevice();
        BaudChip chip;
        chip.bmOrLater = isBMOrLater(record);
        chip.twelveMegahertzClock = hasTwelveMegahertzClock(bcd);
        chip.indexCarriesPortIndex = baudIndexCarriesPortIndex(bcd);
        chip.portIndex = static_cast<std::uint8_t>(record.portIndex);
        const auto divisor = baudDivisorFor(baudRate, chip);
        if (!divisor) {
            return 0xFFFFFFFFu;
        }
        const AD_STATUS status = vendorRequestOut(record, requestBaudRate, divisor->value, divisor->index);
        if (status == AD_OK) {
            record.baudRate = baudRate;
        }
        return status;
    });
}

AD_STATUS AD_SetDivisor(AD_HANDLE handle, uint16_t divisor) {
    return withRecord(handle, [&](DeviceExtension& record) {
        return vendorRequestOut(record, requestBaudRate, divisor, portIndexOf(record));
    });
}

AD_STATUS AD_SetDataCharacteristics(AD_HANDLE handle, uint8_t wordLength, uint8_t stopBits, uint8_t parity) {
    return withRecord(handle, [&](DeviceExtension& record) {
        const auto word = static_cast<std::uint16_t>(wordLength | (parity << 8) | (stopBits << 11));
        // Stored first: break on and off reuse the last requested word even
        // when this request fails.
        record.linePropertyWord = word;
        return vendorRequestOut(record, requestDataCharacteristics, word, portIndexOf(record));
    });
}

AD_STATUS AD_SetFlowControl(AD_HANDLE handle, uint16_t flowControl, uint8_t xon, uint8_t xoff) {
    return withRecord(handle, [&](DeviceExtension& record) {
        const std::uint16_t value =
            flowControl == AD_FLOW_XON_XOFF ? static_cast<std::uint16_t>((xoff << 8) | xon) : 0;
        const auto index = static_cast<std::uint16_t>(flowControl | portIndexOf(record));
        AD_STATUS status = vendorRequestOut(record, requestFlowControl, value, index);
        if (status != AD_OK) {
            return status;
        }
        if (flowControl == AD_FLOW_RTS_CTS) {
            status = vendorRequestOut(record, requestModemControl, rtsOn, portIndexOf(record));
        } else if (flowControl == AD_FLOW_DTR_DSR) {
            status = vendorRequestOut(record, requestModemControl, dtrOn, portIndexOf(record));
        }
        return status;
    });
}

AD_STATUS AD_ResetDevice(AD_HANDLE handle) {
    return withRecord(handle, [](DeviceExtension& r) { return resetDevice(r); });
}

AD_STATUS AD_Purge(AD_HANDLE handle, uint32_t mask) {
    return withRecord(handle, [&](DeviceExtension& record) { return purge(record, mask); });
}

AD_STATUS AD_SetDtr(AD_HANDLE handle) {
    return modemControl(handle, dtrOn);
}
AD_STATUS AD_ClrDtr(AD_HANDLE handle) {
    return modemControl(handle, dtrOff);
}
AD_STATUS AD_SetRts(AD_HANDLE handle) {
    return modemControl(handle, rtsOn);
}
AD_STATUS AD_ClrRts(AD_HANDLE handle) {
    return modemControl(handle, rtsOff);
}

AD_STATUS AD_SetChars(AD_HANDLE handle, uint8_t eventChar, uint8_t eventCharEnabled, uint8_t errorChar,
                      uint8_t errorCharEnabled) {
    return withRecord(handle, [&](DeviceExtension& record) {
        const auto eventValue = static_cast<std::uint16_t>(eventChar | (eventCharEnabled != 0 ? 0x100 : 0));
        AD_STATUS status = vendorRequestOut(record, requestEventCharacter, eventValue, portIndexOf(record));
        if (status != AD_OK) {
            return status;
        }
        const auto errorValue = static_cast<std::uint16_t>(errorChar | (errorCharEnabled != 0 ? 0x100 : 0));
        status = vendorRequestOut(record, requestErrorCharacter, errorValue, portIndexOf(record));
        if (status != AD_OK) {
            return status;
        }
        record.eventChar = eventChar;
        record.eventCharEnabled = eventCharEnabled;
        record.errorChar = errorChar;
        record.errorCharEnabled = errorCharEnabled;
        return AD_OK;
    });
}

AD_STATUS AD_SetTimeouts(AD_HANDLE handle, uint32_t readTimeout, uint32_t writeTimeout) {
    return withRecord(handle, [&](DeviceExtension& record) {
        record.readTimeout = readTimeout;
        record.writeTimeout = writeTimeout;
        return AD_OK;
    });
}

AD_STATUS AD_SetBreakOn(AD_HANDLE handle) {
    return sendBreak(handle, true);
}
AD_STATUS AD_SetBreakOff(AD_HANDLE handle) {
    return sendBreak(handle, false);
}

AD_STATUS AD_SetLatencyTimer(AD_HANDLE handle, uint8_t latency) {
    return withRecord(handle, [&](DeviceExtension& record) {
        if (!isBMOrLater(record)) {
            return AD_NOT_SUPPORTED;
        }
        if (vendorRequestOut(record, requestSetLatencyTimer, latency, portIndexOf(record)) != AD_OK) {
            return AD_IO_ERROR;
        }
        record.latency = latency;
        updateTransferTimeout(record);
        return AD_OK;
    });
}

AD_STATUS AD_GetLatencyTimer(AD_HANDLE handle, uint8_t* latency) {
    return withRecord(handle, [&](DeviceExtension& record) {
        if (latency == nullptr) {
            return AD_INVALID_PARAMETER;
        }
        return getLatencyTimer(record, *latency);
    });
}

AD_STATUS AD_SetBitMode(AD_HANDLE handle, uint8_t mask, uint8_t mode) {
    return withRecord(handle, [&](DeviceExtension& record) {
        if (!isBMOrLater(record)) {
            return AD_NOT_SUPPORTED;
        }
        return vendorRequestOut(record, requestSetBitMode, static_cast<std::uint16_t>(mask | (mode << 8)),
                                portIndexOf(record));
    });
}

AD_STATUS AD_GetBitMode(AD_HANDLE handle, uint8_t* pins) {
    return withRecord(handle, [&](DeviceExtension& record) {
        if (pins == nullptr) {
            return AD_INVALID_PARAMETER;
        }
        if (!isBMOrLater(record)) {
            return AD_NOT_SUPPORTED;
        }
        return vendorRequestIn(record, requestGetBitMode, 0, portIndexOf(record), pins, 1);
    });
}

AD_STATUS AD_SetDeadmanTimeout(AD_HANDLE handle, uint32_t deadmanTimeout) {
    return withRecord(handle, [&](DeviceExtension& record) {
        if (deadmanTimeout == 0) {
            return AD_INVALID_PARAMETER;
        }
        record.deadmanTimeout = deadmanTimeout;
        updateTransferTimeout(record);
        return AD_OK;
    });
}

AD_STATUS AD_SetUSBParameters(AD_HANDLE handle, uint32_t inTransferSize, uint32_t outTransferSize) {
    return withRecord(handle, [&](DeviceExtension& record) {
        const std::uint32_t in = std::min(inTransferSize, record.inTransferLimit);
        const std::uint32_t out = std::min(outTransferSize, record.outTransferLimit);
        std::lock_guard guard(record.ringMutex);
        if (in >= record.maxPacketSize && in <= record.inTransferLimit) {
            record.inTransferSize = in;
        }
        if (out >= record.maxPacketSize && out <= record.outTransferLimit) {
            record.outTransferSize = out;
        }
        return AD_OK;
    });
}

} // extern "C"
