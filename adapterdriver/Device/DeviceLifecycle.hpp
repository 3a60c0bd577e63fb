#pragma once
// Opening a handle (find the device, claim its interface, set up the receive
// ring and threads) and closing it again.

#include <cstdint>
#include <string>

#include "adapterdriver/adapterdriver.h"

namespace adapterdriver {

struct OpenRequest {
    enum class By { index, serialNumber, description, location };
    By by = By::index;
    std::uint32_t index = 0;
    std::string text; // serial number or description
    std::uint32_t location = 0;
};

// Under the library lock: AD_Open and AD_OpenEx.
AD_STATUS openDevice(const OpenRequest& request, AD_HANDLE* handle);

// AD_Close.
AD_STATUS closeDevice(AD_HANDLE handle);

} // namespace adapterdriver
