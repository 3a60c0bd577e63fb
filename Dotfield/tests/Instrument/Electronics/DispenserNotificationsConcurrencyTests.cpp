#include <any>
#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Electronics/DispenserNotifications.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

using namespace Dotfield;

TEST(DispenserNotificationsConcurrency, PostsFromWorkersReachTheMainThreadInEachWorkersOrder) {
    ScopedMainThreadPump mainThread;
    auto& center = NotificationCenter::defaultCenter();
    constexpr int workers = 4;
    constexpr int postsEach = 200;

    std::vector<std::vector<double>> seen(workers);
    bool allOnMainThread = true;
    int removedSeen = 0;
    const auto token = center.addObserver(dispenserVoltageChangeNotification(), [&](const Notification& n) {
        allOnMainThread = allOnMainThread && MainQueue::main().isCurrent();
        const double value = std::any_cast<double>(n.object);
        seen[static_cast<std::size_t>(value) / postsEach].push_back(value);
    });
    // Removed on the main thread while posts are still coming: never called afterwards.
    const auto removed =
        center.addObserver(dispenserVoltageChangeNotification(), [&](const Notification&) { ++removedSeen; });

    std::atomic<int> finished{0};
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w) {
        threads.emplace_back([&, w] {
            for (int i = 0; i < postsEach; ++i) {
                center.post(dispenserVoltageChangeNotification(), static_cast<double>(w * postsEach + i));
            }
            ++finished;
        });
    }
    center.removeObserver(removed);
    const int seenAtRemoval = removedSeen;
    EXPECT_TRUE(mainThread.pump().runUntil(
        [&] {
            std::size_t total = 0;
            for (const auto& list : seen) {
                total += list.size();
            }
            return finished == workers && total == workers * postsEach;
        },
        Dotfield::Testing::eventuallyLimit));
    for (auto& thread : threads) {
        thread.join();
    }
    center.removeObserver(token);
    mainThread.pump().runPending();

    EXPECT_TRUE(allOnMainThread);
    EXPECT_EQ(removedSeen, seenAtRemoval);
    for (int w = 0; w < workers; ++w) {
        ASSERT_EQ(seen[w].size(), static_cast<std::size_t>(postsEach));
        for (int i = 0; i < postsEach; ++i) {
            EXPECT_EQ(seen[w][i], w * postsEach + i);
        }
    }
}
