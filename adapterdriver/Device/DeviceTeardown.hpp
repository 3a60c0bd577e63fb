#pragma once

#include <memory>

#include "adapterdriver/Device/DeviceExtension.hpp"

namespace adapterdriver {

// Stops the record's threads, retires its transfers, releases and closes the
// USB device and abandons Win32-style waits. Safe on a record whose open
// stopped part-way.
void tearDown(const std::shared_ptr<DeviceExtension>& record);

} // namespace adapterdriver
