#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"

#include <cstdint>
#include <cstring>
#include <iostream>
#include <string_view>

#include "Dotfield/Instrument/Errors/SerialPortConnectionError.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

using Diagnostics::logAndReturnError;
using Diagnostics::printWithContext;

// Whether an adapter whose description begins with portName is listed. An
// adapter that cannot be read (one the user may not open, say) is passed over:
// the one looked for may come after it.
bool adapterIsListed(const std::string& portName) {
    std::uint32_t count = 0;
    AD_ListDevices(&count, nullptr, AD_LIST_NUMBER_ONLY);
    for (std::uint32_t index = 0; index < count; ++index) {
        char description[AD_DESCRIPTION_SIZE] = {};
        const AD_STATUS status = AD_ListDevices(reinterpret_cast<void*>(static_cast<std::uintptr_t>(index)),
                                                description, AD_LIST_BY_INDEX | AD_OPEN_BY_DESCRIPTION);
        if (status != AD_OK) {
            printWithContext("Skipping unreadable device " + std::to_string(index) + " with status " +
                             std::to_string(status));
            continue;
        }
        const std::string_view listed(description, strnlen(description, sizeof description));
        if (listed.starts_with(portName)) {
            return true;
        }
    }
    return false;
}

// Applies the line settings; answers the name of the first one the adapter
// refused, or nothing. Bit mode and latency timer do not exist on every chip:
// their "not supported" leaves the port usable.
const char* applyLineSettings(AD_HANDLE handle, std::uint32_t baudRate, bool evenParity,
                              const SerialPortTiming& timing) {
    const auto optional = [](AD_STATUS status) { return status == AD_OK || status == AD_NOT_SUPPORTED; };
    if (!optional(AD_SetBitMode(handle, 0, AD_BITMODE_RESET))) {
        return "bit mode";
    }
    if (AD_ResetDevice(handle) != AD_OK) {
        return "reset";
    }
    if (AD_Purge(handle, AD_PURGE_RX | AD_PURGE_TX) != AD_OK) {
        return "purge";
    }
    if (AD_SetBaudRate(handle, baudRate) != AD_OK) {
        return "baud rate";
    }
    if (AD_SetTimeouts(handle, timing.readTimeoutMilliseconds, timing.writeTimeoutMilliseconds) != AD_OK) {
        return "time-outs";
    }
    if (AD_SetDataCharacteristics(handle, AD_BITS_8, AD_STOP_BITS_1,
                                  evenParity ? AD_PARITY_EVEN : AD_PARITY_NONE) != AD_OK) {
        return "data characteristics";
    }
    if (AD_SetFlowControl(handle, AD_FLOW_NONE, 0, 0) != AD_OK) {
        return "flow control";
    }
    if (!optional(AD_SetLatencyTimer(handle, 1))) {
        return "latency timer";
    }
    return nullptr;
}

} // namespace

std::shared_ptr<SerialPort> openSerialPort(const std::string& portName, std::uint32_t baudRate,
                                           bool evenParity, const SerialPortTiming& timing) {
    if (!adapterIsListed(portName)) {
        throw SerialPortConnectionError(SerialPortConnectionErrorKind::deviceMissing);
    }

    AD_HANDLE handle = nullptr;
    const AD_STATUS status = AD_OpenEx(const_cast<char*>(portName.c_str()), AD_OPEN_BY_DESCRIPTION, &handle);
    if (status != AD_OK) {
        std::cout << "Failed to open port with status: " << status << std::endl;
        throw logAndReturnError(
            SerialPortConnectionError(SerialPortConnectionErrorKind::connectionToDeviceFailed));
    }

    auto port = std::make_shared<SerialPort>(handle, timing);
    if (const char* refused = applyLineSettings(handle, baudRate, evenParity, timing)) {
        printWithContext(std::string("Serial port refused its ") + refused + " setting");
        port->closeSerialPort();
        throw logAndReturnError(
            SerialPortConnectionError(SerialPortConnectionErrorKind::settingTheSettingsFailed));
    }
    return port;
}

} // namespace Dotfield
