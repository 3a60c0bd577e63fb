#pragma once
// A repeating timer with its own thread. It is created suspended, like the
// timer sources it stands in for; suspend() and resume() count, and the timer
// ticks only while every suspend has been balanced by a resume. It may be
// destroyed in any state, suspended included. Ticks follow the clock it is
// given, so tests drive it with a ManualClock.

#include <functional>
#include <memory>

#include "Dotfield/Platform/Clock.hpp"

namespace Dotfield {

class RepeatingTimer {
  public:
    explicit RepeatingTimer(std::shared_ptr<Clock> clock = systemClock());
    // Stops the timer and waits for a handler that is still running (unless the
    // handler itself destroys the timer).
    ~RepeatingTimer();
    RepeatingTimer(const RepeatingTimer&) = delete;
    RepeatingTimer& operator=(const RepeatingTimer&) = delete;

    // The first tick is due now, then one every interval. The leeway is how late
    // a tick may come; ticks missed while the timer was suspended or busy are
    // coalesced into one.
    void schedule(Clock::Duration interval, Clock::Duration leeway);
    // The work of one tick, run on the timer's thread.
    void setEventHandler(std::function<void()> handler);

    void suspend();
    // A resume without a matching suspend is a misuse; it is logged and ignored.
    void resume();
    bool isSuspended() const;

    Clock::Duration interval() const;
    Clock::Duration leeway() const;

  private:
    struct State;
    static void runTimerThread(const std::shared_ptr<State>& state);

    std::shared_ptr<State> state_;
};

} // namespace Dotfield
