// The tuning values edited on one thread while another reads them to send
// them, as the preferences window and the robot queue do; run under the race
// detector.

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "Dotfield/Robotics/Models/DropwrightIIa.hpp"

namespace Dotfield {
namespace {

TEST(TuningValuesConcurrency, ASenderAlwaysReadsWholeTriplesWhileTheyAreEdited) {
    const auto store = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    const auto robot = Robot::make<DropwrightIIa>(store);
    TuningValues& values = robot->tuningValues();
    values.setValue(0, {0, 0, 0});
    std::atomic<bool> done{false};
    std::thread editor([&] {
        for (int i = 1; i <= 2000; ++i) {
            const double v = i;
            values.setValue(0, {v, v, v});
            values.setAxis(3, MotorPosition::yMotor, v);
        }
        done.store(true);
    });
    int torn = 0;
    while (!done.load()) {
        const auto read = values.values();
        torn += read[0].x == read[0].y && read[0].y == read[0].z ? 0 : 1;
    }
    editor.join();
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(robot->proportionalGain(), (AxisValues{2000, 2000, 2000}));
    EXPECT_EQ(robot->integralLimit(), (AxisValues{5000, 2000, 10000}));
}

} // namespace
} // namespace Dotfield
