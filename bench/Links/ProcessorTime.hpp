#pragma once
// What the process spends while a link sits there: processor time of all its
// threads and the context switches they made, over a stretch of wall time.

#include <ctime>
#include <string>
#include <sys/resource.h>

#include <benchmark/benchmark.h>

namespace LinkBenchmarks {

inline double secondsOf(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

inline double contextSwitches() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_nvcsw + usage.ru_nivcsw);
}

// Sums processor time, context switches and wall time over the measured
// stretches; report() gives them per second of wall time.
class ProcessCost {
  public:
    template <typename Work> void measure(Work&& work) {
        const double wall = secondsOf(CLOCK_MONOTONIC);
        const double processor = secondsOf(CLOCK_PROCESS_CPUTIME_ID);
        const double switches = contextSwitches();
        work();
        processor_ += secondsOf(CLOCK_PROCESS_CPUTIME_ID) - processor;
        switches_ += contextSwitches() - switches;
        wall_ += secondsOf(CLOCK_MONOTONIC) - wall;
    }

    double percentOfOneCore() const { return wall_ > 0 ? 100.0 * processor_ / wall_ : 0.0; }

    void report(benchmark::State& state, const char* prefix = "") const {
        const std::string start(prefix);
        state.counters[start + "cpuPercentOfOneCore"] = percentOfOneCore();
        state.counters[start + "contextSwitchesPerSecond"] = wall_ > 0 ? switches_ / wall_ : 0.0;
    }

  private:
    double processor_ = 0;
    double switches_ = 0;
    double wall_ = 0;
};

} // namespace LinkBenchmarks
