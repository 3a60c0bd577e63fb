#include "Dotfield/Platform/Semaphore.hpp"

#include <gtest/gtest.h>

#include <thread>

namespace Dotfield {
namespace {

using namespace std::chrono_literals;

TEST(SemaphoreTest, CountsUnitsTakenAndGiven) {
    Semaphore semaphore(1);
    EXPECT_TRUE(semaphore.tryWait());
    EXPECT_FALSE(semaphore.tryWait());
    EXPECT_FALSE(semaphore.waitFor(1ms));
    semaphore.signal();
    EXPECT_EQ(semaphore.value(), 1);
    EXPECT_TRUE(semaphore.waitFor(1ms));
}

TEST(SemaphoreTest, WaitReturnsWhenAnotherThreadSignals) {
    Semaphore semaphore(0);
    std::thread signaller([&] { semaphore.signal(); });
    semaphore.wait();
    signaller.join();
    EXPECT_EQ(semaphore.value(), 0);
}

} // namespace
} // namespace Dotfield
