#pragma once
// The status timer of a device object: a repeating timer whose ticks run a
// handler on the object's own queue, at most one at a time. A tick that finds
// the previous handler still pending or running is dropped, not queued.

#include <functional>

#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/Platform/Clock.hpp"
#include "Dotfield/Platform/RepeatingTimer.hpp"
#include "Dotfield/Platform/Semaphore.hpp"

namespace Dotfield {

// An object with a status timer (created suspended by the owner) and the
// timer's semaphore (created with a count of 1). The owner destroys the timer
// first, then its queue (whose last handler still signals the semaphore), then
// the semaphore, so no tick reaches a half-destroyed object.
class DispatchTimer : public SerialDispatch {
  public:
    virtual Semaphore& timerSemaphore() = 0;
    virtual RepeatingTimer& dispatchTimer() = 0;
};

struct TimerTickContext {
    DispatchTimer* object;
    std::function<void()> handler;
};

// Schedules the object's timer (first tick now, then every interval), sets its
// tick to runTimerTickIfIdle with the handler, and resumes it once. Suspending
// and resuming it afterwards is the owner's business.
void startRepeatingTimer(DispatchTimer& object, Clock::Duration interval, Clock::Duration leeway,
                         std::function<void()> handler);

// One tick: takes the semaphore without waiting; if it is free, runs the handler
// asynchronously on the object's queue and frees the semaphore afterwards;
// otherwise does nothing.
void runTimerTickIfIdle(const TimerTickContext& context);

} // namespace Dotfield
