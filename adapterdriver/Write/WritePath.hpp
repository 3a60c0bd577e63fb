#pragma once
// The write side of a handle: a synchronous bulk-out transfer, made on the
// caller's thread, or handed to the handle's write thread when the
// configuration file asks for it (ConfigFlags bit 30).

#include "adapterdriver/Device/DeviceExtension.hpp"

namespace adapterdriver {

void writeThreadMain(DeviceExtension* record);

// Wakes the write thread for the last time and joins it.
void stopWriteThread(DeviceExtension& record);

} // namespace adapterdriver
