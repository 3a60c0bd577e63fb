#include <thread>

#include <gtest/gtest.h>

#include "simulators/peers/HumiditySensor/SimulatedHumiditySensor.hpp"

using namespace Simulators;

// The sensor's own behaviour as the library's caller sees it; the
// application's sensor code is tested over it in Dotfield/tests/Instrument/Humidity.

namespace {
int removalCalls = 0;
void countRemoval(void*, void*, void*, void*) {
    ++removalCalls;
}
} // namespace

TEST(SimulatedHumiditySensor, HandsOutHandlesAndReadsThroughThem) {
    SimulatedHumiditySensor sensor;
    Dotfield::THUMHandle first{};
    Dotfield::THUMHandle second{};
    ASSERT_EQ(sensor.getHandle(first.data(), 0, nullptr), Dotfield::thumSuccess);
    ASSERT_EQ(sensor.getHandle(second.data(), 0, nullptr), Dotfield::thumSuccess);
    EXPECT_NE(first, second);
    EXPECT_EQ(first.back(), 0);

    sensor.setReading(-3.5, 61.25);
    double celsius = 0;
    double humidity = 0;
    ASSERT_EQ(sensor.read(first.data(), &celsius, &humidity), Dotfield::thumSuccess);
    EXPECT_EQ(celsius, -3.5);
    EXPECT_EQ(humidity, 61.25);

    sensor.releaseHandle(first.data());
    EXPECT_NE(sensor.read(first.data(), &celsius, &humidity), Dotfield::thumSuccess);
    EXPECT_EQ(sensor.openHandleCount(), 1u);
}

TEST(SimulatedHumiditySensor, UnpluggingCallsBackAndReportsTheSensorGone) {
    SimulatedHumiditySensor sensor;
    Dotfield::THUMHandle handle{};
    ASSERT_EQ(sensor.getHandle(handle.data(), 0, countRemoval), Dotfield::thumSuccess);
    removalCalls = 0;
    sensor.unplug();
    EXPECT_EQ(removalCalls, 1);
    double celsius = 0;
    double humidity = 0;
    EXPECT_EQ(sensor.read(handle.data(), &celsius, &humidity), Dotfield::thumNoSensor);
    Dotfield::THUMHandle another{};
    EXPECT_EQ(sensor.getHandle(another.data(), 0, nullptr), Dotfield::thumNoSensor);
}

TEST(SimulatedHumiditySensor, HoldsACallUntilReleased) {
    SimulatedHumiditySensor sensor;
    Dotfield::THUMHandle handle{};
    ASSERT_EQ(sensor.getHandle(handle.data(), 0, nullptr), Dotfield::thumSuccess);
    sensor.holdCalls(SimulatedHumiditySensor::Call::releaseHandle);
    std::thread releaser([&] { sensor.releaseHandle(handle.data()); });
    sensor.waitForHeldCall();
    EXPECT_EQ(sensor.openHandleCount(), 1u);
    sensor.releaseHeldCalls();
    releaser.join();
    EXPECT_EQ(sensor.openHandleCount(), 0u);
}
