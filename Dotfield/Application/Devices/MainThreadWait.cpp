#include "Dotfield/Application/Devices/MainThreadWait.hpp"

#include <memory>
#include <thread>
#include <utility>

#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Platform/SerialQueue.hpp"

namespace Dotfield {

bool waitServingMainThread(const std::shared_future<void>& ended, std::chrono::nanoseconds wait) {
    const auto isEnded = [&ended] { return ended.wait_for(std::chrono::seconds(0)) == std::future_status::ready; };
    if (!MainQueue::main().isCurrent()) {
        return ended.wait_for(wait) == std::future_status::ready;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    // Wakes the main thread at the deadline when the work has not ended by then.
    std::thread waker([ended, wait] {
        ended.wait_for(wait);
        MainQueue::main().wakeWaitingMainThread();
    });
    MainQueue::main().waitServicingSyncWork([&] { return isEnded() || std::chrono::steady_clock::now() >= deadline; });
    waker.join();
    return isEnded();
}

bool runOnQueueWithin(SerialQueue& queue, std::function<void()> work, std::chrono::nanoseconds wait) {
    auto done = std::make_shared<std::promise<void>>();
    const auto ended = done->get_future().share();
    queue.async([work = std::move(work), done] {
        work();
        done->set_value();
        MainQueue::main().wakeWaitingMainThread();
    });
    return waitServingMainThread(ended, wait);
}

} // namespace Dotfield
