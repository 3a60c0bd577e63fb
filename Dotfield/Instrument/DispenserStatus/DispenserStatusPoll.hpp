#pragma once
// The status poll the application runs while nothing else needs the
// electronics: the five points are programmed, then every 100 ms (5 ms
// leeway) a statistics-updating status check runs on the electronics queue.
// A tick that comes while the previous check still runs is dropped. Whoever
// needs the link for itself suspends the electronics' dispatchTimer() and
// resumes it afterwards.

#include <exception>
#include <functional>

#include "Dotfield/Instrument/DispenserStatus/DispenserConnectionStatus.hpp"
#include "Dotfield/Instrument/DispenserStatus/StatisticalImpedanceMeasurement.hpp"
#include "Dotfield/Platform/Clock.hpp"

namespace Dotfield {

class Electronics;

inline constexpr Clock::Duration dispenserStatusPollInterval = std::chrono::milliseconds(100);
inline constexpr Clock::Duration dispenserStatusPollLeeway = std::chrono::milliseconds(5);

struct DispenserStatusPollHandlers {
    // The status of every completed check, on the electronics queue.
    std::function<void(DispenserConnectionStatus)> status;
    // The error of a failed check, on the electronics queue; the poll goes on.
    std::function<void(std::exception_ptr)> failure;
};

// Programs the points (on the electronics queue, waiting for it; throws what
// initializeStatusCheck throws, and then does not start) and starts the poll.
void startDispenserStatusPoll(Electronics& electronics, const DispenserStatusPoints& points,
                              DispenserStatusPollHandlers handlers);

} // namespace Dotfield
