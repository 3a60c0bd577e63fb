#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace Dotfield {
namespace {

class MainQueueTest : public ::testing::Test {
  protected:
    ScopedMainThreadPump mainThread;
    MainQueue& mainQueue = MainQueue::main();
};

TEST_F(MainQueueTest, AsyncWorkRunsOnThePumpInOrder) {
    std::vector<int> order;
    mainQueue.async([&] { order.push_back(1); });
    mainQueue.async([&] {
        order.push_back(2);
        mainQueue.async([&] { order.push_back(4); });
    });
    mainQueue.async([&] { order.push_back(3); });
    EXPECT_TRUE(order.empty());
    mainThread.pump().runPending();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(MainQueueTest, SyncFromAnotherThreadWaitsForTheMainThreadAndHandsBackResults) {
    EXPECT_TRUE(mainQueue.isCurrent());
    std::atomic<bool> finished{false};
    int result = 0;
    bool threw = false;
    std::thread worker([&] {
        EXPECT_FALSE(mainQueue.isCurrent());
        result = mainQueue.sync([&] { return mainQueue.isCurrent() ? 42 : -1; });
        try {
            mainQueue.sync([] { throw std::runtime_error("alert failed"); });
        } catch (const std::runtime_error&) {
            threw = true;
        }
        finished = true;
    });
    EXPECT_TRUE(
        mainThread.pump().runUntil([&] { return finished.load(); }, Dotfield::Testing::eventuallyLimit));
    worker.join();
    EXPECT_EQ(result, 42);
    EXPECT_TRUE(threw);
}

TEST_F(MainQueueTest, SyncOnTheMainThreadRunsDirectly) {
    EXPECT_EQ(mainQueue.sync([] { return 5; }), 5);
    EXPECT_EQ(mainThread.pump().runPending(), 0U);
}

TEST_F(MainQueueTest, RebindingHandsWaitingWorkToTheNewBinding) {
    bool ran = false;
    mainQueue.async([&] { ran = true; });
    {
        ScopedMainThreadPump inner;
        inner.pump().runPending();
        EXPECT_TRUE(ran);
    }
}

} // namespace
} // namespace Dotfield
