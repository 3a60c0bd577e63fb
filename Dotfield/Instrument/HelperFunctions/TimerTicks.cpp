#include "Dotfield/Instrument/HelperFunctions/TimerTicks.hpp"

#include <exception>
#include <string>

#include "Dotfield/Platform/Log.hpp"

namespace Dotfield {

void startRepeatingTimer(DispatchTimer& object, Clock::Duration interval, Clock::Duration leeway,
                         std::function<void()> handler) {
    RepeatingTimer& timer = object.dispatchTimer();
    timer.schedule(interval, leeway);
    timer.setEventHandler(
        [context = TimerTickContext{&object, std::move(handler)}] { runTimerTickIfIdle(context); });
    timer.resume();
}

void runTimerTickIfIdle(const TimerTickContext& context) {
    DispatchTimer& object = *context.object;
    if (!object.timerSemaphore().tryWait()) {
        return;
    }
    object.serialDispatchQueue().async([&object, handler = context.handler] {
        try {
            handler();
        } catch (const std::exception& error) {
            writeLogLine(std::string("Uncaught error in a status timer handler: ") + error.what());
        } catch (...) {
            writeLogLine("Uncaught error in a status timer handler");
        }
        object.timerSemaphore().signal();
    });
}

} // namespace Dotfield
