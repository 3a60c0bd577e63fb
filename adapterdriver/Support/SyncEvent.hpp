#pragma once
// A manual-reset event: a flag with a mutex and a condition variable. Set wakes
// every waiter; a wait does not reset the flag, its owner does. Used for the
// hand-offs between the receive threads, the write thread and their callers.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace adapterdriver {

class SyncEvent {
public:
    void set();
    void reset();
    bool isSet() const;

    // Waits until the flag is set (true) or the time-out passes (false);
    // 0 ms waits without limit. Spurious wake-ups do not end the wait. A wait
    // also ends (false) once *interrupt is true and interrupt() was called.
    bool wait(std::uint32_t milliseconds, const std::atomic<bool>* interrupt = nullptr);

    // Wakes every waiter so that it looks at its interrupt flag again.
    void interrupt();

private:
    mutable std::mutex mutex_;
    std::condition_variable condition_;
    bool signalled_ = false;
};

} // namespace adapterdriver
