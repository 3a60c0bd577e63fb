#pragma once
// A counting semaphore: the timer's overlap guard, the humidity sensor's busy
// guard and the camera's frame guard are semaphores of count 1.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace Dotfield {

class Semaphore {
  public:
    explicit Semaphore(long initialValue);
    Semaphore(const Semaphore&) = delete;
    Semaphore& operator=(const Semaphore&) = delete;

    // Raises the count by one and wakes one waiter.
    void signal();
    // Takes one unit, waiting as long as it takes.
    void wait();
    // Takes one unit if one is free now; never waits.
    bool tryWait();
    // Takes one unit, waiting at most the given time; false when none came.
    bool waitFor(std::chrono::nanoseconds timeout);

    long value() const;

  private:
    mutable std::mutex mutex_;
    std::condition_variable condition_;
    long value_;
};

} // namespace Dotfield
