#pragma once
// The electronics' and the print's waits on the simulated instrument: the
// time asked for passes in the world (a stepped world moves on by it, a
// running one is waited for, 1/rate of it in the machine's time), then the
// manual clock it is given moves by it, so waits measured on that clock end
// once the world saw them.

#include <chrono>
#include <memory>
#include <thread>
#include <utility>

#include "Dotfield/Platform/Clock.hpp"
#include "simulators/instrument/World/WorldClock.hpp"

namespace Dotfield::Testing {

class WorldTimeSleeper final : public Sleeper {
  public:
    WorldTimeSleeper(std::shared_ptr<ManualClock> clock, std::shared_ptr<Simulators::WorldClock> world)
        : clock_(std::move(clock)), world_(std::move(world)) {}
    // A world running `rate` times faster than the machine.
    WorldTimeSleeper(std::shared_ptr<ManualClock> clock, double rate)
        : WorldTimeSleeper(std::move(clock), std::make_shared<Simulators::RealTimeWorldClock>(rate)) {}

    using Sleeper::sleep;
    void sleep(Clock::Duration duration) override {
        const auto due = world_->now() + std::chrono::duration_cast<std::chrono::nanoseconds>(duration);
        std::this_thread::sleep_for(world_->realTimeUntil(due));
        clock_->advance(duration);
    }

  private:
    const std::shared_ptr<ManualClock> clock_;
    const std::shared_ptr<Simulators::WorldClock> world_;
};

} // namespace Dotfield::Testing
