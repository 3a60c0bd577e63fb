#pragma once
// A serial work queue: one worker thread runs asynchronous work in submission
// order. Synchronous work waits until everything submitted before it has run and
// then runs on the calling thread while the queue counts as busy, so it is
// serialised with the queue's other work without a thread switch; on an idle
// queue it starts at once, without waking the worker. A thread that already
// holds the queue (its worker, or a caller inside sync) runs sync work directly
// instead of waiting for itself.

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

namespace Dotfield {

class SerialQueue {
  public:
    explicit SerialQueue(std::string label);
    // Runs the work already submitted, then ends the worker thread. Safe to run
    // from the queue's own work (the last owner released there): the worker then
    // finishes on its own.
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    const std::string& label() const;

    // True while the calling thread runs work of this queue (async work on the
    // worker, or sync work on the caller's thread).
    bool isCurrent() const;

    // Runs the work later on the worker thread; never waits. An exception that
    // escapes the work is logged and the queue goes on.
    void async(std::function<void()> work);

    // Runs the work on the calling thread once the queue is idle, and hands back
    // its result or exception. Directly when the calling thread holds the queue.
    // On the main thread, work that other threads hand to the main queue
    // synchronously is served while waiting, so the queue's own work may wait
    // for the main thread without a deadlock.
    template <typename F> std::invoke_result_t<F&> sync(F&& work) {
        if (isCurrent()) {
            return work();
        }
        Hold hold(*this);
        return work();
    }

  private:
    struct State;
    struct Ticket;

    static void runWorker(const std::shared_ptr<State>& state);
    static void grantAndWaitForRelease(Ticket& ticket);

    // Holds the queue exclusively on the calling thread for its lifetime.
    class Hold {
      public:
        explicit Hold(SerialQueue& queue);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

      private:
        std::shared_ptr<State> state_;
        // None when the caller took the idle queue directly.
        std::shared_ptr<Ticket> ticket_;
    };

    std::shared_ptr<State> state_;
};

} // namespace Dotfield
