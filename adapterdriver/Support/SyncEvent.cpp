#include "adapterdriver/Support/SyncEvent.hpp"

#include <chrono>

namespace adapterdriver {

void SyncEvent::set() {
    {
        std::lock_guard lock(mutex_);
        signalled_ = true;
    }
    condition_.notify_all();
}

void SyncEvent::reset() {
    std::lock_guard lock(mutex_);
    signalled_ = false;
}

bool SyncEvent::isSet() const {
    std::lock_guard lock(mutex_);
    return signalled_;
}

bool SyncEvent::wait(std::uint32_t milliseconds, const std::atomic<bool>* interrupt) {
    std::unique_lock lock(mutex_);
    auto interrupted = [&] { return interrupt != nullptr && interrupt->load(); };
    auto done = [&] { return signalled_ || interrupted(); };
    if (milliseconds == 0) {
        condition_.wait(lock, done);
    } else {
        condition_.wait_for(lock, std::chrono::milliseconds(milliseconds), done);
    }
    return signalled_;
}

void SyncEvent::interrupt() {
    // Taking the mutex orders the caller's interrupt flag before the waiter's
    // next look at it, so the wake-up cannot be lost.
    { std::lock_guard lock(mutex_); }
    condition_.notify_all();
}

} // namespace adapterdriver
