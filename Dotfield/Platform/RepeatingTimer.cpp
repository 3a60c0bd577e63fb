#include "Dotfield/Platform/RepeatingTimer.hpp"

#include <exception>
#include <mutex>
#include <string>
#include <thread>

#include "Dotfield/Platform/Log.hpp"

namespace Dotfield {

struct RepeatingTimer::State {
    explicit State(std::shared_ptr<Clock> timeSource) : clock(std::move(timeSource)) {}

    const std::shared_ptr<Clock> clock;
    WakeSignal wake;
    mutable std::mutex mutex;
    std::function<void()> handler;
    Clock::Duration interval{0};
    Clock::Duration leeway{0};
    bool scheduled = false;
    Clock::TimePoint deadline{};
    int suspendCount = 1;
    bool stopping = false;
    std::thread thread;
};

namespace {

void runHandler(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        writeLogLine(std::string("Uncaught error in a timer tick: ") + error.what());
    } catch (...) {
        writeLogLine("Uncaught error in a timer tick");
    }
}

// The first deadline after now on the timer's grid.
Clock::TimePoint nextDeadline(Clock::TimePoint deadline, Clock::Duration interval, Clock::TimePoint now) {
    if (interval <= Clock::Duration::zero()) {
        return now;
    }
    deadline += interval;
    if (deadline <= now) {
        const auto missed = (now - deadline) / interval + 1;
        deadline += missed * interval;
    }
    return deadline;
}

} // namespace

void RepeatingTimer::runTimerThread(const std::shared_ptr<State>& state) {
    std::unique_lock lock(state->mutex);
    while (!state->stopping) {
        const bool armed = state->suspendCount == 0 && state->scheduled && state->handler;
        if (!armed) {
            lock.unlock();
            state->clock->waitUntil(Clock::TimePoint::max(), state->wake);
            lock.lock();
            continue;
        }
        const Clock::TimePoint deadline = state->deadline;
        if (state->clock->now() < deadline) {
            lock.unlock();
            state->clock->waitUntil(deadline, state->wake);
            lock.lock();
            continue;
        }
        const std::function<void()> handler = state->handler;
        state->deadline = nextDeadline(deadline, state->interval, state->clock->now());
        lock.unlock();
        runHandler(handler);
        lock.lock();
    }
}

RepeatingTimer::RepeatingTimer(std::shared_ptr<Clock> clock)
    : state_(std::make_shared<State>(std::move(clock))) {
    state_->thread = std::thread([state = state_] { runTimerThread(state); });
}

RepeatingTimer::~RepeatingTimer() {
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
    }
    state_->wake.raise();
    if (state_->thread.get_id() == std::this_thread::get_id()) {
        state_->thread.detach();
    } else {
        state_->thread.join();
    }
}

void RepeatingTimer::schedule(Clock::Duration interval, Clock::Duration leeway) {
    {
        std::lock_guard lock(state_->mutex);
        state_->interval = interval;
        state_->leeway = leeway;
        state_->deadline = state_->clock->now();
        state_->scheduled = true;
    }
    state_->wake.raise();
}

void RepeatingTimer::setEventHandler(std::function<void()> handler) {
    {
        std::lock_guard lock(state_->mutex);
        state_->handler = std::move(handler);
    }
    state_->wake.raise();
}

void RepeatingTimer::suspend() {
    {
        std::lock_guard lock(state_->mutex);
        ++state_->suspendCount;
    }
    state_->wake.raise();
}

void RepeatingTimer::resume() {
    {
        std::lock_guard lock(state_->mutex);
        if (state_->suspendCount == 0) {
            writeLogLine(
                "A repeating timer was resumed more often than it was suspended; the resume is ignored");
            return;
        }
        --state_->suspendCount;
    }
    state_->wake.raise();
}

bool RepeatingTimer::isSuspended() const {
    std::lock_guard lock(state_->mutex);
    return state_->suspendCount > 0;
}

Clock::Duration RepeatingTimer::interval() const {
    std::lock_guard lock(state_->mutex);
    return state_->interval;
}

Clock::Duration RepeatingTimer::leeway() const {
    std::lock_guard lock(state_->mutex);
    return state_->leeway;
}

} // namespace Dotfield
