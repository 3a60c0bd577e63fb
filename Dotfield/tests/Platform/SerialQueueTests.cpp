#include "Dotfield/Platform/SerialQueue.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/tests/Support/ThreadBlocking.hpp"

namespace Dotfield {
namespace {

class SerialQueueTest : public ::testing::Test {
  protected:
    ScopedMainThreadPump mainThread;
    SerialQueue queue{"com.veltrane.Dotfield.testQueue"};
};

TEST_F(SerialQueueTest, RunsAsyncAndSyncWorkInSubmissionOrder) {
    std::mutex mutex;
    std::vector<int> order;
    auto record = [&](int value) {
        std::lock_guard lock(mutex);
        order.push_back(value);
    };
    for (int i = 0; i < 50; ++i) {
        queue.async([&, i] { record(i); });
    }
    queue.sync([&] { record(50); });
    queue.async([&] { record(51); });
    queue.sync([&] { record(52); });

    std::vector<int> expected;
    for (int i = 0; i <= 52; ++i) {
        expected.push_back(i);
    }
    EXPECT_EQ(order, expected);
}

TEST_F(SerialQueueTest, SyncRunsOnTheCallingThreadAndMarksTheQueueCurrent) {
    EXPECT_FALSE(queue.isCurrent());
    const auto caller = std::this_thread::get_id();
    const auto [thread, current] = queue.sync([&] {
        return std::pair{std::this_thread::get_id(), queue.isCurrent()};
    });
    EXPECT_EQ(thread, caller);
    EXPECT_TRUE(current);
    EXPECT_FALSE(queue.isCurrent());

    std::atomic<bool> currentInAsync{false};
    queue.async([&] { currentInAsync = queue.isCurrent(); });
    queue.sync([] {});
    EXPECT_TRUE(currentInAsync);
}

TEST_F(SerialQueueTest, NestedSyncOnTheOwnQueueRunsDirectly) {
    int depth = queue.sync([&] { return queue.sync([&] { return queue.sync([] { return 3; }); }); });
    EXPECT_EQ(depth, 3);

    std::atomic<int> fromAsync{0};
    queue.async([&] { fromAsync = queue.sync([] { return 7; }); });
    queue.sync([] {});
    EXPECT_EQ(fromAsync, 7);
}

TEST_F(SerialQueueTest, SyncHandsBackTheWorksException) {
    EXPECT_THROW(queue.sync([]() -> int { throw std::runtime_error("failed"); }), std::runtime_error);
    // The queue is released again and keeps working.
    EXPECT_EQ(queue.sync([] { return 1; }), 1);
}

TEST_F(SerialQueueTest, AsyncFailureIsLoggedAndTheQueueGoesOn) {
    queue.async([] { throw std::runtime_error("lost"); });
    EXPECT_EQ(queue.sync([] { return 2; }), 2);
}

TEST_F(SerialQueueTest, SyncWorkIsExclusiveWithAsyncWork) {
    // Several threads increment an unguarded counter through the queue; with the
    // queue serialising them the count is exact (and ThreadSanitizer stays quiet).
    int counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                if (i % 2 == 0) {
                    queue.sync([&] { ++counter; });
                } else {
                    queue.async([&] { ++counter; });
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(queue.sync([&] { return counter; }), 800);
}

TEST_F(SerialQueueTest, WorkSubmittedWhileACallerHoldsTheIdleQueueWaitsForIt) {
    // The sync caller takes the idle queue itself; work another thread
    // submits meanwhile runs only once the caller let go, and in order.
    std::mutex mutex;
    std::vector<int> order;
    auto record = [&](int value) {
        std::lock_guard lock(mutex);
        order.push_back(value);
    };
    std::atomic<pid_t> worker{0};
    queue.async([&] { worker = Dotfield::Testing::currentThreadId(); });
    queue.sync([] {});
    queue.sync([&] {
        record(1);
        std::thread([&] {
            queue.async([&] { record(3); });
            queue.async([&] { record(4); });
        }).join();
        // A worker that would not wait has run the work by the time it sleeps.
        EXPECT_TRUE(Dotfield::Testing::waitUntilBlocked(worker));
        record(2);
    });
    queue.sync([&] { record(5); });
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST_F(SerialQueueTest, SyncFromTheMainThreadServesQueuedWorkThatNeedsTheMainThread) {
    // The queued work waits for the main thread while the main thread waits for
    // the queue: the main thread must run that work meanwhile.
    std::atomic<bool> ranOnMain{false};
    queue.async([&] { ranOnMain = MainQueue::main().sync([] { return MainQueue::main().isCurrent(); }); });
    const bool sawResult = queue.sync([&] { return ranOnMain.load(); });
    EXPECT_TRUE(sawResult);
}

TEST(SerialQueueLifetime, DestructionRunsTheWorkAlreadySubmitted) {
    std::atomic<int> ran{0};
    {
        SerialQueue queue("com.veltrane.Dotfield.shortLived");
        for (int i = 0; i < 10; ++i) {
            queue.async([&] { ++ran; });
        }
    }
    EXPECT_EQ(ran, 10);
}

TEST(SerialQueueLifetime, TheLastOwnerMayReleaseTheQueueFromItsOwnWork) {
    auto queue = std::make_shared<SerialQueue>("com.veltrane.Dotfield.selfReleasing");
    std::atomic<bool> done{false};
    queue->async([&done, owner = queue]() mutable {
        owner.reset();
        done = true;
    });
    queue.reset();
    while (!done) {
        std::this_thread::yield();
    }
}

} // namespace
} // namespace Dotfield
