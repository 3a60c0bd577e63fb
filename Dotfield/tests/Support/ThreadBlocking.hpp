#pragma once
// Telling that another thread has come to a wait, for tests that check that
// something does not happen while that thread is held: a thread found blocked
// has had every chance to go wrong, however loaded the machine, so asserting
// afterwards tests something, where a sleep first would only hope it had.
//
// Linux: the kernel's view of each thread under /proc/self/task.

#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "Dotfield/tests/Support/Eventually.hpp"

namespace Dotfield::Testing {

// The kernel's id of the calling thread, to hand to waitUntilBlocked.
inline pid_t currentThreadId() {
    return ::gettid();
}

namespace ThreadBlockingDetail {

struct Look {
    bool asleep = false;
    long long switches = 0; // context switches so far, voluntary or not
};

// None once the thread has ended.
inline std::optional<Look> look(pid_t thread) {
    const std::string folder = "/proc/self/task/" + std::to_string(thread) + "/";
    std::ifstream stat(folder + "stat");
    std::string line;
    if (!std::getline(stat, line)) {
        return std::nullopt;
    }
    // "tid (name) S ...": the name may hold spaces and parentheses.
    const auto nameEnd = line.rfind(')');
    if (nameEnd == std::string::npos || nameEnd + 2 >= line.size()) {
        return std::nullopt;
    }
    Look found;
    found.asleep = line[nameEnd + 2] == 'S';
    std::ifstream status(folder + "status");
    while (std::getline(status, line)) {
        std::istringstream fields(line);
        std::string key;
        long long count = 0;
        if (fields >> key >> count &&
            (key == "voluntary_ctxt_switches:" || key == "nonvoluntary_ctxt_switches:")) {
            found.switches += count;
        }
    }
    return found;
}

} // namespace ThreadBlockingDetail

// Waits until the thread sleeps in a wait and stays there: two looks a
// millisecond apart find it asleep without having run in between. True then,
// or when the thread has ended; false when it kept running to the limit.
inline bool waitUntilBlocked(pid_t thread, std::chrono::milliseconds limit = eventuallyLimit) {
    using ThreadBlockingDetail::look;
    return eventually(
        [thread] {
            const auto first = look(thread);
            if (!first) {
                return true;
            }
            if (!first->asleep) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            const auto second = look(thread);
            return !second || (second->asleep && second->switches == first->switches);
        },
        {}, limit);
}

// A thread of the test whose blocking can be waited for. Joined at the latest
// when it goes.
class WatchedThread {
  public:
    template <typename Work>
    explicit WatchedThread(Work work)
        : thread_([this, work = std::move(work)]() mutable {
              id_ = currentThreadId();
              work();
          }) {}
    ~WatchedThread() { join(); }
    WatchedThread(const WatchedThread&) = delete;
    WatchedThread& operator=(const WatchedThread&) = delete;

    void join() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    // Waits until the thread has come to a wait (or ended); see above.
    bool waitUntilBlocked() {
        return eventually([this] { return id_.load() != 0; }) && Testing::waitUntilBlocked(id_.load());
    }

  private:
    std::atomic<pid_t> id_{0};
    std::thread thread_;
};

} // namespace Dotfield::Testing
