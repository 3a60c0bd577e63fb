#pragma once
// The time of the simulated instrument's world, counted from the world's
// start. The application's simulated mode runs it in real time; tests step it
// by hand, or run it faster than real time so that whole moves take a few
// milliseconds while the host code still waits on them as on real hardware.
// The instrument's serial lines run on it too.

#include <atomic>
#include <chrono>

#include "simulators/usb/LineClock.hpp"

namespace Simulators {

class WorldClock : public LineClock {
  public:
    // Time since the world started; never goes back.
    std::chrono::nanoseconds now() const override = 0;
    // Unless a clock says otherwise, it moves on as it is read: nothing to
    // wait for, look again.
    std::chrono::nanoseconds realTimeUntil(std::chrono::nanoseconds /*due*/) override { return {}; }
};

// Stands still until a test moves it.
class SteppedWorldClock final : public WorldClock {
  public:
    std::chrono::nanoseconds now() const override;
    // Moves the time forward (a negative step is ignored).
    void advance(std::chrono::nanoseconds step);
    // Bytes on the instrument's lines move it forward to the time they
    // arrive: nobody else may be stepping it.
    std::chrono::nanoseconds realTimeUntil(std::chrono::nanoseconds due) override;

  private:
    std::atomic<std::chrono::nanoseconds::rep> elapsed_{0};
};

// The machine's monotonic time since construction, multiplied by the rate
// (1 is real time; 10 runs the world ten times faster).
class RealTimeWorldClock final : public WorldClock {
  public:
    // A rate that is not a positive finite number is taken as 1.
    explicit RealTimeWorldClock(double rate = 1.0);
    std::chrono::nanoseconds now() const override;
    std::chrono::nanoseconds realTimeUntil(std::chrono::nanoseconds due) override;
    double rate() const { return rate_; }

  private:
    const std::chrono::steady_clock::time_point origin_ = std::chrono::steady_clock::now();
    const double rate_;
};

} // namespace Simulators
