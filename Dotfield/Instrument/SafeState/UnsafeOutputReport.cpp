#include "Dotfield/Instrument/SafeState/UnsafeOutputReport.hpp"

#include <mutex>
#include <utility>

#include "Dotfield/Platform/Log.hpp"

namespace Dotfield {

namespace {

std::mutex observerMutex;

UnsafeOutputObserver& observerSlot() {
    static UnsafeOutputObserver observer;
    return observer;
}

} // namespace

UnsafeOutputObserver installUnsafeOutputObserver(UnsafeOutputObserver observer) {
    std::lock_guard lock(observerMutex);
    return std::exchange(observerSlot(), std::move(observer));
}

void reportUnsafeOutput(std::string_view what, const std::exception_ptr& cause) {
    const std::string message = describeFailure(what, cause);
    writeLogLine(message);
    UnsafeOutputObserver observer;
    {
        std::lock_guard lock(observerMutex);
        observer = observerSlot();
    }
    if (observer) {
        observer(message);
    }
}

} // namespace Dotfield
