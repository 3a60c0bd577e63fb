#pragma once
// Waiting for something another thread makes happen: the one helper every
// test uses, with one limit. The limit is only reached when the test fails,
// so it is generous: a loaded, sanitized run must never reach it while the
// awaited event is still on its way.

#include <chrono>
#include <functional>
#include <thread>

namespace Dotfield::Testing {

inline constexpr std::chrono::milliseconds eventuallyLimit = std::chrono::seconds(120);

// Calls `condition` until it holds (true) or the limit passes (false).
// Between two calls `idle` runs: by default a short sleep; windows' tests pass
// one that serves the main thread's events.
inline bool eventually(const std::function<bool()>& condition, const std::function<void()>& idle = {},
                       std::chrono::milliseconds limit = eventuallyLimit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        if (idle) {
            idle();
        } else {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
    return true;
}

} // namespace Dotfield::Testing
