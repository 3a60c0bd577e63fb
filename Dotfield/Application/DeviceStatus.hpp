#pragma once
// What the application tells its main window about each device: one line of
// text per device, replaced whenever the device's state changes. The reports
// arrive on the main thread.

#include <functional>
#include <string>

namespace Dotfield {

// The first four report once at launch; the dispenser's line follows the
// status poll.
enum class ShellDevice { electronics, positioner, relay, humiditySensor, dispenser };

using DeviceStatusObserver = std::function<void(ShellDevice device, const std::string& text)>;

} // namespace Dotfield
