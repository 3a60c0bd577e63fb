#pragma once
// The main thread as a queue. Windows, alerts and observers of the busy state run
// there. The queue is bound to whatever drives the main thread: Qt's event loop
// in the application (QtMainThreadBinding), a pump that the test drives
// (MainThreadPump) in the tests.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>

namespace Dotfield {

class MainThreadBinding {
  public:
    virtual ~MainThreadBinding() = default;
    virtual bool isMainThread() const = 0;
    // Arranges for the work to run on the main thread later, in posting order.
    // May be called from any thread.
    virtual void post(std::function<void()> work) = 0;
};

// A main thread that runs posted work only when it is told to.
class MainThreadPump final : public MainThreadBinding {
  public:
    // The constructing thread becomes the main thread.
    MainThreadPump();
    // The process's initial thread is the main thread, whoever constructs the pump.
    static std::shared_ptr<MainThreadPump> forProcessMainThread();

    bool isMainThread() const override;
    void post(std::function<void()> work) override;

    // Runs what was posted, and what that work posts in turn, until nothing is
    // left; answers how many were run. Call it on the main thread.
    std::size_t runPending();
    // Runs posted work as it arrives until the condition holds (true) or the
    // timeout has passed (false). The timeout only guards tests against a hang.
    bool runUntil(const std::function<bool()>& condition,
                  std::chrono::nanoseconds timeout = std::chrono::seconds(20));

  private:
    struct ProcessMainThread {};
    explicit MainThreadPump(ProcessMainThread);

    bool processMainThread_ = false;
    std::thread::id mainThread_;
    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> work_;
};

class MainQueue {
  public:
    // The application's one main queue. Until something is bound it sits on a
    // pump of the process's initial thread that nobody drives.
    static MainQueue& main();

    // Replaces the binding and answers the previous one. Work still waiting is
    // handed to the new binding.
    std::shared_ptr<MainThreadBinding> bind(const std::shared_ptr<MainThreadBinding>& binding);

    // True on the main thread.
    bool isCurrent() const;

    // Runs the work on the main thread later; never waits.
    void async(std::function<void()> work);

    // Runs the work on the main thread and waits for it; on the main thread it
    // runs directly. Its result or exception is handed back to the caller.
    template <typename F> std::invoke_result_t<F&> sync(F&& work);

    // For waits of the main thread on other threads (SerialQueue::sync): blocks
    // until done() holds and meanwhile runs the work that other threads hand to
    // sync(), so a worker that needs the main thread cannot deadlock against a
    // main thread that waits for that worker. done() is evaluated under the
    // queue's lock; whoever makes it true must call wakeWaitingMainThread().
    void waitServicingSyncWork(const std::function<bool()>& done);
    void wakeWaitingMainThread();

    MainQueue(const MainQueue&) = delete;
    MainQueue& operator=(const MainQueue&) = delete;

  private:
    MainQueue();

    struct Entry {
        std::function<void()> work;
        bool callerWaits = false;
    };

    std::shared_ptr<MainThreadBinding> currentBinding() const;
    void enqueue(std::function<void()> work, bool callerWaits);
    void runNextEntry();
    void runAndWait(const std::function<void()>& job);

    mutable std::mutex mutex_;
    std::condition_variable waitingMainThread_;
    std::deque<Entry> pending_;
    std::shared_ptr<MainThreadBinding> binding_;
};

// Binds a fresh pump on the calling thread for the lifetime of the object and
// restores the previous binding afterwards. Tests use it as a fixture member.
class ScopedMainThreadPump {
  public:
    ScopedMainThreadPump();
    ~ScopedMainThreadPump();
    ScopedMainThreadPump(const ScopedMainThreadPump&) = delete;
    ScopedMainThreadPump& operator=(const ScopedMainThreadPump&) = delete;

    MainThreadPump& pump() { return *pump_; }

  private:
    std::shared_ptr<MainThreadPump> pump_;
    std::shared_ptr<MainThreadBinding> previous_;
};

template <typename F> std::invoke_result_t<F&> MainQueue::sync(F&& work) {
    using Result = std::invoke_result_t<F&>;
    if (isCurrent()) {
        return work();
    }
    if constexpr (std::is_void_v<Result>) {
        std::exception_ptr failure;
        runAndWait([&] {
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
        });
        if (failure) {
            std::rethrow_exception(failure);
        }
    } else {
        using Stored = std::conditional_t<std::is_reference_v<Result>,
                                          std::reference_wrapper<std::remove_reference_t<Result>>, Result>;
        std::optional<Stored> result;
        std::exception_ptr failure;
        runAndWait([&] {
            try {
                result.emplace(work());
            } catch (...) {
                failure = std::current_exception();
            }
        });
        if (failure) {
            std::rethrow_exception(failure);
        }
        if constexpr (std::is_reference_v<Result>) {
            return result->get();
        } else {
            return std::move(*result);
        }
    }
}

} // namespace Dotfield
