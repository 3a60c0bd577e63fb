#pragma once
// The time the simulated serial lines run on: bytes cross a line at its baud
// rate in this time, and an adapter's latency timer counts in it. The
// simulated instrument runs its lines on the world's clock, so a world run
// faster than real time has faster lines too, and a reply never arrives
// sooner in the world than the wire allows. A bus that no world runs uses the
// machine's time.

#include <chrono>

namespace Simulators {

class LineClock {
  public:
    virtual ~LineClock() = default;
    // Never goes back.
    virtual std::chrono::nanoseconds now() const = 0;
    // Lets the clock reach `due` and answers how long that takes in the
    // machine's time (0 once it is there). A clock that moves only when told
    // (a test's stepped clock) is moved to `due` at once, so bytes on a line
    // still arrive while nobody else moves it.
    virtual std::chrono::nanoseconds realTimeUntil(std::chrono::nanoseconds due) = 0;
};

// The machine's monotonic time since construction.
class MachineLineClock final : public LineClock {
  public:
    std::chrono::nanoseconds now() const override;
    std::chrono::nanoseconds realTimeUntil(std::chrono::nanoseconds due) override;

  private:
    const std::chrono::steady_clock::time_point origin_ = std::chrono::steady_clock::now();
};

} // namespace Simulators
