#pragma once
// Keeps recovery alerts from piling up: at most one alert per device is open
// at a time (a later error of that device is only logged), and once the
// application has begun to terminate no alert opens at all.

#include <array>
#include <atomic>
#include <cstddef>
#include <mutex>

namespace Dotfield {

// unsafeOutput: the dispenser or the UV lamp could not be switched off.
enum class AlertDevice : std::size_t { robotics, electronics, relay, humiditySensor, unsafeOutput, other, count };

class AlertGate {
  public:
    // True when an alert of the device may open now; it then counts as open
    // until close(). False while one is open or after termination began.
    bool tryOpen(AlertDevice device);
    void close(AlertDevice device);

    void beginTermination() { terminating_.store(true); }
    bool terminating() const { return terminating_.load(); }

  private:
    std::mutex mutex_;
    std::array<bool, static_cast<std::size_t>(AlertDevice::count)> open_{};
    std::atomic<bool> terminating_{false};
};

} // namespace Dotfield
