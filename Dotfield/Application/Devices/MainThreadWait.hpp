#pragma once
// Waiting for work on another thread at the end of the run without blocking
// that work: on the main thread the wait serves what other threads hand to
// the main thread meanwhile (an alert, a window update), elsewhere it simply
// waits. Whoever finishes the work must call
// MainQueue::main().wakeWaitingMainThread() after making `ended` ready.

#include <chrono>
#include <functional>
#include <future>

namespace Dotfield {

class SerialQueue;

// True when `ended` became ready within `wait`.
bool waitServingMainThread(const std::shared_future<void>& ended, std::chrono::nanoseconds wait);

// Runs the work on the queue and waits for it at most `wait` (as above);
// answers whether it ran in time. Work that did not start in time still runs later.
bool runOnQueueWithin(SerialQueue& queue, std::function<void()> work, std::chrono::nanoseconds wait);

} // namespace Dotfield
