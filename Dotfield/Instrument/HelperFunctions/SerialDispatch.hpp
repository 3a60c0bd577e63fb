#pragma once
// Device objects that serialise their work on a queue of their own (the
// electronics, the relay box, the robot), and the synchronous way of running an
// operation there.

#include <type_traits>
#include <utility>

#include "Dotfield/Platform/SerialQueue.hpp"

namespace Dotfield {

class SerialDispatch {
  public:
    virtual ~SerialDispatch() = default;
    virtual SerialQueue& serialDispatchQueue() = 0;
};

// Runs the operation on the object's queue and waits for it; its result comes
// back and its exception is rethrown to the caller. When the caller already
// runs on that queue the operation runs directly (waiting for the queue from
// inside it would never return).
template <typename Operation>
std::invoke_result_t<Operation&> performOnQueueSync(Operation&& operation, SerialDispatch& object) {
    return object.serialDispatchQueue().sync(std::forward<Operation>(operation));
}

// The same, for an operation that answers the dispenser's connection status on
// the electronics queue.
template <typename Operation>
std::invoke_result_t<Operation&> performOnQueueSyncThrowing(Operation&& operation, SerialDispatch& object) {
    return performOnQueueSync(std::forward<Operation>(operation), object);
}

// The same, for an operation on the relay queue.
template <typename Operation>
std::invoke_result_t<Operation&> performOnQueueSyncReturning(Operation&& operation, SerialDispatch& object) {
    return performOnQueueSync(std::forward<Operation>(operation), object);
}

} // namespace Dotfield
