#include "Dotfield/Platform/MainQueue.hpp"

#include <algorithm>
#include <exception>
#include <string>
#include <unistd.h>

#include "Dotfield/Platform/Log.hpp"
#include "Diagnostics/ProgramStop.hpp"

namespace Dotfield {

namespace {

bool onProcessMainThread() {
    return gettid() == getpid();
}

void runLoggingFailure(const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception& error) {
        writeLogLine(std::string("Uncaught error in main-thread work: ") + error.what());
    } catch (...) {
        writeLogLine("Uncaught error in main-thread work");
    }
}

} // namespace

// MainThreadPump

MainThreadPump::MainThreadPump() : mainThread_(std::this_thread::get_id()) {}

MainThreadPump::MainThreadPump(ProcessMainThread) : processMainThread_(true) {}

std::shared_ptr<MainThreadPump> MainThreadPump::forProcessMainThread() {
    return std::shared_ptr<MainThreadPump>(new MainThreadPump(ProcessMainThread{}));
}

bool MainThreadPump::isMainThread() const {
    if (processMainThread_) {
        return onProcessMainThread();
    }
    return std::this_thread::get_id() == mainThread_;
}

void MainThreadPump::post(std::function<void()> work) {
    std::lock_guard lock(mutex_);
    work_.push_back(std::move(work));
    posted_.notify_all();
}

std::size_t MainThreadPump::runPending() {
    std::size_t count = 0;
    for (;;) {
        std::function<void()> next;
        {
            std::lock_guard lock(mutex_);
            if (work_.empty()) {
                return count;
            }
            next = std::move(work_.front());
            work_.pop_front();
        }
        runLoggingFailure(next);
        ++count;
    }
}

bool MainThreadPump::runUntil(const std::function<bool()>& condition, std::chrono::nanoseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        runPending();
        if (condition()) {
            return true;
        }
        std::unique_lock lock(mutex_);
        if (work_.empty()) {
            // Conditions usually change on other threads without posting, so look
            // again after a short while even when nothing was posted.
            posted_.wait_for(lock, std::chrono::milliseconds(1));
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            lock.unlock();
            runPending();
            return condition();
        }
    }
}

// MainQueue

MainQueue::MainQueue() : binding_(MainThreadPump::forProcessMainThread()) {}

MainQueue& MainQueue::main() {
    // Never destroyed: worker threads may still hand work to it while the process exits.
    static auto* queue = new MainQueue();
    return *queue;
}

std::shared_ptr<MainThreadBinding> MainQueue::bind(const std::shared_ptr<MainThreadBinding>& binding) {
    if (!binding) {
        Diagnostics::stopProgram("The main queue needs a main-thread binding");
    }
    std::shared_ptr<MainThreadBinding> previous;
    std::size_t waiting = 0;
    {
        std::lock_guard lock(mutex_);
        previous = std::exchange(binding_, binding);
        waiting = pending_.size();
    }
    for (std::size_t i = 0; i < waiting; ++i) {
        binding->post([this] { runNextEntry(); });
    }
    return previous;
}

std::shared_ptr<MainThreadBinding> MainQueue::currentBinding() const {
    std::lock_guard lock(mutex_);
    return binding_;
}

bool MainQueue::isCurrent() const {
    return currentBinding()->isMainThread();
}

void MainQueue::async(std::function<void()> work) {
    enqueue(std::move(work), false);
}

void MainQueue::enqueue(std::function<void()> work, bool callerWaits) {
    std::shared_ptr<MainThreadBinding> binding;
    {
        std::lock_guard lock(mutex_);
        pending_.push_back(Entry{std::move(work), callerWaits});
        binding = binding_;
        if (callerWaits) {
            waitingMainThread_.notify_all();
        }
    }
    // Every entry gets one post; a post whose entry was already taken by a
    // waiting main thread finds the next entry or nothing.
    binding->post([this] { runNextEntry(); });
}

void MainQueue::runNextEntry() {
    Entry entry;
    {
        std::lock_guard lock(mutex_);
        if (pending_.empty()) {
            return;
        }
        entry = std::move(pending_.front());
        pending_.pop_front();
    }
    runLoggingFailure(entry.work);
}

void MainQueue::runAndWait(const std::function<void()>& job) {
    struct Completion {
        std::mutex mutex;
        std::condition_variable condition;
        bool done = false;
    };
    auto completion = std::make_shared<Completion>();
    enqueue(
        [&job, completion] {
            job();
            std::lock_guard lock(completion->mutex);
            completion->done = true;
            completion->condition.notify_all();
        },
        true);
    std::unique_lock lock(completion->mutex);
    completion->condition.wait(lock, [&] { return completion->done; });
}

void MainQueue::waitServicingSyncWork(const std::function<bool()>& done) {
    std::unique_lock lock(mutex_);
    for (;;) {
        auto waitingEntry = pending_.end();
        waitingMainThread_.wait(lock, [&] {
            if (done()) {
                return true;
            }
            waitingEntry = std::find_if(pending_.begin(), pending_.end(),
                                        [](const Entry& entry) { return entry.callerWaits; });
            return waitingEntry != pending_.end();
        });
        if (done()) {
            return;
        }
        Entry entry = std::move(*waitingEntry);
        pending_.erase(waitingEntry);
        lock.unlock();
        runLoggingFailure(entry.work);
        lock.lock();
    }
}

void MainQueue::wakeWaitingMainThread() {
    std::lock_guard lock(mutex_);
    waitingMainThread_.notify_all();
}

// ScopedMainThreadPump

ScopedMainThreadPump::ScopedMainThreadPump()
    : pump_(std::make_shared<MainThreadPump>()), previous_(MainQueue::main().bind(pump_)) {}

ScopedMainThreadPump::~ScopedMainThreadPump() {
    MainQueue::main().bind(previous_);
}

} // namespace Dotfield
