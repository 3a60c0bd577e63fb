#pragma once
// The times a serial link waits. The defaults are the instrument's; tests pass
// shorter ones, or a manual clock, so no test has to sit through real seconds.

#include <chrono>
#include <cstdint>
#include <memory>

#include "Dotfield/Platform/Clock.hpp"

namespace Dotfield {

struct SerialPortTiming {
    // The driver's read and write time-outs, set when the port is opened.
    std::uint32_t readTimeoutMilliseconds = 1000;
    std::uint32_t writeTimeoutMilliseconds = 1000;
    // How long a wait for buffered bytes may last before it gives up. The
    // wait sleeps on this clock until the driver reports received bytes.
    Clock::Duration bufferedBytesWait = std::chrono::milliseconds(2000);
    std::shared_ptr<Clock> clock = systemClock();
};

} // namespace Dotfield
