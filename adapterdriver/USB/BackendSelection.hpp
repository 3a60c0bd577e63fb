#pragma once
// Run-time choice of the USB stack under the driver library: libusb for real
// adapters, or a simulated bus (simulators/usb) for tests and demonstrations.

#include <memory>

#include "adapterdriver/USB/USBBackend.hpp"

namespace adapterdriver {

// Chooses the USB stack the library uses from now on; nullptr restores libusb.
// The library is shut down on the old stack and started again on the new one
// by the next call that needs it. Refused (false) while any handle is open.
bool setUSBBackend(std::shared_ptr<USBBackend> backend);

// The backend the next list or open will use.
std::shared_ptr<USBBackend> currentUSBBackend();

} // namespace adapterdriver
