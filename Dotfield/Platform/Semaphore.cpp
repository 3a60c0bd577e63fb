#include "Dotfield/Platform/Semaphore.hpp"

namespace Dotfield {

Semaphore::Semaphore(long initialValue) : value_(initialValue) {}

void Semaphore::signal() {
    std::lock_guard lock(mutex_);
    ++value_;
    condition_.notify_one();
}

void Semaphore::wait() {
    std::unique_lock lock(mutex_);
    condition_.wait(lock, [this] { return value_ > 0; });
    --value_;
}

bool Semaphore::tryWait() {
    std::lock_guard lock(mutex_);
    if (value_ <= 0) {
        return false;
    }
    --value_;
    return true;
}

bool Semaphore::waitFor(std::chrono::nanoseconds timeout) {
    std::unique_lock lock(mutex_);
    if (!condition_.wait_for(lock, timeout, [this] { return value_ > 0; })) {
        return false;
    }
    --value_;
    return true;
}

long Semaphore::value() const {
    std::lock_guard lock(mutex_);
    return value_;
}

} // namespace Dotfield
