#pragma once
// The production binding of the USB seam: libusb-1.0 on its default context.

#include <memory>

#include "adapterdriver/USB/USBBackend.hpp"

namespace adapterdriver {

std::shared_ptr<USBBackend> makeLibusbBackend();

} // namespace adapterdriver
