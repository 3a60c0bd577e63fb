#pragma once
// What the process spends while a link sits there: processor time of all its
// threads, the context switches they made and how often they went to sleep,
// over a stretch of wall time.

#include <atomic>
#include <chrono>
#include <ctime>
#include <string>
#include <sys/resource.h>
#include <thread>

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

// The times a thread of the process went to sleep waiting for something
// (and so had to be woken again); unlike all context switches, this does not
// count the preemptions a busy machine adds.
inline double voluntaryContextSwitches() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_nvcsw);
}

// Sums processor time, context switches and wall time over the measured
// stretches; report() gives them per second of wall time.
class ProcessCost {
  public:
    template <typename Work> void measure(Work&& work) {
        const double wall = secondsOf(CLOCK_MONOTONIC);
        const double processor = secondsOf(CLOCK_PROCESS_CPUTIME_ID);
        const double switches = contextSwitches();
        const double sleeps = voluntaryContextSwitches();
        work();
        processor_ += secondsOf(CLOCK_PROCESS_CPUTIME_ID) - processor;
        switches_ += contextSwitches() - switches;
        sleeps_ += voluntaryContextSwitches() - sleeps;
        wall_ += secondsOf(CLOCK_MONOTONIC) - wall;
    }

    double percentOfOneCore() const { return wall_ > 0 ? 100.0 * processor_ / wall_ : 0.0; }

    void report(benchmark::State& state, const char* prefix = "") const {
        const std::string start(prefix);
        state.counters[start + "cpuPercentOfOneCore"] = percentOfOneCore();
        state.counters[start + "contextSwitchesPerSecond"] = wall_ > 0 ? switches_ / wall_ : 0.0;
        state.counters[start + "threadSleepsPerSecond"] = wall_ > 0 ? sleeps_ / wall_ : 0.0;
    }

  private:
    double processor_ = 0;
    double switches_ = 0;
    double sleeps_ = 0;
    double wall_ = 0;
};

// A thread that does nothing but wake every millisecond while it lives, as
// the driver's event thread must for each status packet of an adapter with a
// 1 ms latency timer: the least a link can cost. What such a wake costs
// depends on the machine and on how busy it is far more than on this program.
class MillisecondWaker {
  public:
    MillisecondWaker()
        : thread_([this] {
              for (auto due = std::chrono::steady_clock::now(); !stop_.load();) {
                  due += std::chrono::milliseconds(1);
                  std::this_thread::sleep_until(due);
              }
          }) {}
    ~MillisecondWaker() {
        stop_ = true;
        thread_.join();
    }
    MillisecondWaker(const MillisecondWaker&) = delete;
    MillisecondWaker& operator=(const MillisecondWaker&) = delete;

  private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The cost of a stretch of work, and beside it the cost of a millisecond
// waker measured at the same time: each round measures the work alone, then
// again with a waker running, so that both figures see the same load of the
// machine. report() adds "millisecondWakerCpuPercentOfOneCore", the
// difference, to judge the work's figure by.
class CostBesideWaker {
  public:
    template <typename Work> void measure(Work&& work) {
        alone_.measure(work);
        MillisecondWaker waker;
        withWaker_.measure(work);
    }

    void report(benchmark::State& state) const {
        alone_.report(state);
        state.counters["millisecondWakerCpuPercentOfOneCore"] =
            withWaker_.percentOfOneCore() - alone_.percentOfOneCore();
    }

  private:
    ProcessCost alone_;
    ProcessCost withWaker_;
};

} // namespace LinkBenchmarks
