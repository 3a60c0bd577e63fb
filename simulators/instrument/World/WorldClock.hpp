#pragma once
// The time of the simulated instrument's world, counted from the world's
// start. The application's simulated mode runs it in real time; tests step it
// by hand, or run it faster than real time so that whole moves take a few
// milliseconds while the host code still waits on them as on real hardware.

#include <atomic>
#include <chrono>

namespace Simulators {

class WorldClock {
  public:
    virtual ~WorldClock() = default;
    // Time since the world started; never goes back.
    virtual std::chrono::nanoseconds now() const = 0;
};

// Stands still until a test moves it.
class SteppedWorldClock final : public WorldClock {
  public:
    std::chrono::nanoseconds now() const override;
    // Moves the time forward (a negative step is ignored).
    void advance(std::chrono::nanoseconds step);

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
    double rate() const { return rate_; }

  private:
    const std::chrono::steady_clock::time_point origin_ = std::chrono::steady_clock::now();
    const double rate_;
};

} // namespace Simulators
