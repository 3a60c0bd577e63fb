#include "Dotfield/Platform/SerialQueue.hpp"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <variant>
#include <vector>

#include "Dotfield/Platform/Log.hpp"
#include "Dotfield/Platform/MainQueue.hpp"

namespace Dotfield {

// A caller of sync waiting for its turn. The worker grants the turn when it
// reaches the ticket and then waits until the caller releases the queue.
struct SerialQueue::Ticket {
    std::mutex mutex;
    std::condition_variable condition;
    std::atomic<bool> granted{false};
    bool released = false;
};

struct SerialQueue::State {
    explicit State(std::string name) : label(std::move(name)) {}

    using Entry = std::variant<std::function<void()>, std::shared_ptr<Ticket>>;

    const std::string label;
    std::mutex mutex;
    std::condition_variable submitted;
    std::deque<Entry> entries;
    bool stopping = false;
    // The worker is running an entry, or waiting for a caller it granted
    // the queue to.
    bool running = false;
    // A sync caller found the queue idle and holds it without the worker.
    bool heldByCaller = false;
    std::thread worker;
};

namespace {

// The queues the calling thread holds, innermost last.
thread_local std::vector<const void*> heldQueues;

class MarkHeld {
  public:
    explicit MarkHeld(const void* queue) { heldQueues.push_back(queue); }
    ~MarkHeld() { heldQueues.pop_back(); }
    MarkHeld(const MarkHeld&) = delete;
    MarkHeld& operator=(const MarkHeld&) = delete;
};

void runLoggingFailure(const std::string& label, const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception& error) {
        writeLogLine("Uncaught error in work on queue " + label + ": " + error.what());
    } catch (...) {
        writeLogLine("Uncaught error in work on queue " + label);
    }
}

} // namespace

SerialQueue::SerialQueue(std::string label) : state_(std::make_shared<State>(std::move(label))) {
    state_->worker = std::thread([state = state_] { runWorker(state); });
}

SerialQueue::~SerialQueue() {
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
    }
    state_->submitted.notify_all();
    if (state_->worker.get_id() == std::this_thread::get_id()) {
        state_->worker.detach();
    } else {
        state_->worker.join();
    }
}

const std::string& SerialQueue::label() const {
    return state_->label;
}

bool SerialQueue::isCurrent() const {
    return std::find(heldQueues.begin(), heldQueues.end(), state_.get()) != heldQueues.end();
}

void SerialQueue::async(std::function<void()> work) {
    {
        std::lock_guard lock(state_->mutex);
        state_->entries.emplace_back(std::move(work));
    }
    state_->submitted.notify_one();
}

SerialQueue::Hold::Hold(SerialQueue& queue) : state_(queue.state_) {
    {
        std::lock_guard lock(state_->mutex);
        if (!state_->running && !state_->heldByCaller && state_->entries.empty()) {
            // Nothing submitted before is left to run: the caller takes the
            // queue at once, without handing a ticket to the worker and
            // waiting for it to wake up.
            state_->heldByCaller = true;
        } else {
            ticket_ = std::make_shared<Ticket>();
            state_->entries.emplace_back(ticket_);
        }
    }
    if (!ticket_) {
        heldQueues.push_back(state_.get());
        return;
    }
    state_->submitted.notify_one();
    MainQueue& mainQueue = MainQueue::main();
    if (mainQueue.isCurrent()) {
        mainQueue.waitServicingSyncWork([this] { return ticket_->granted.load(); });
    } else {
        std::unique_lock lock(ticket_->mutex);
        ticket_->condition.wait(lock, [this] { return ticket_->granted.load(); });
    }
    heldQueues.push_back(state_.get());
}

SerialQueue::Hold::~Hold() {
    heldQueues.erase(std::find(heldQueues.begin(), heldQueues.end(), state_.get()));
    if (!ticket_) {
        bool workWaits = false;
        {
            std::lock_guard lock(state_->mutex);
            state_->heldByCaller = false;
            workWaits = state_->stopping || !state_->entries.empty();
        }
        if (workWaits) {
            state_->submitted.notify_one();
        }
        return;
    }
    {
        std::lock_guard lock(ticket_->mutex);
        ticket_->released = true;
    }
    ticket_->condition.notify_all();
}

void SerialQueue::grantAndWaitForRelease(Ticket& ticket) {
    {
        std::lock_guard lock(ticket.mutex);
        ticket.granted = true;
    }
    ticket.condition.notify_all();
    // The waiter may be the main thread, which waits on the main queue's signal.
    MainQueue::main().wakeWaitingMainThread();
    std::unique_lock lock(ticket.mutex);
    ticket.condition.wait(lock, [&] { return ticket.released; });
}

void SerialQueue::runWorker(const std::shared_ptr<State>& state) {
    for (;;) {
        State::Entry entry;
        {
            std::unique_lock lock(state->mutex);
            state->running = false;
            state->submitted.wait(
                lock, [&] { return !state->heldByCaller && (state->stopping || !state->entries.empty()); });
            if (state->entries.empty()) {
                return;
            }
            entry = std::move(state->entries.front());
            state->entries.pop_front();
            state->running = true;
        }
        if (auto* work = std::get_if<std::function<void()>>(&entry)) {
            MarkHeld held(state.get());
            runLoggingFailure(state->label, *work);
        } else {
            grantAndWaitForRelease(*std::get<std::shared_ptr<Ticket>>(entry));
        }
    }
}

} // namespace Dotfield
