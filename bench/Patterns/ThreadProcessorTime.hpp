#pragma once
// Processor time of the calling thread, for benchmarks that time their own
// side and its floor in one run: other work on a loaded machine does not count.

#include <ctime>

namespace PatternBenchmarks {

inline double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The thread's processor seconds the work takes.
template <typename Work> double threadSecondsOf(Work&& work) {
    const double start = threadSeconds();
    work();
    return threadSeconds() - start;
}

} // namespace PatternBenchmarks
