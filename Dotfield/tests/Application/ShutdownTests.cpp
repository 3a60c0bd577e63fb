// Shutting down on the simulated instrument: the work is stopped and the
// dispenser switched off before any link closes, and every link is closed.

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/tests/Application/ShellFixture.hpp"

using namespace Dotfield;
using Simulators::SimulatedElectronics;

using ShutdownTests = ShellFixture;

TEST_F(ShutdownTests, ADrivenDispenserIsSwitchedOffBeforeTheLinksClose) {
    launch();
    const auto electronics = delegate->electronics();
    const auto robot = delegate->robot();
    ASSERT_TRUE(robot);
    electronics->serialDispatchQueue().sync([&] { electronics->startDispensing(); });
    ASSERT_EQ(electronicsPeer->relay(), SimulatedElectronics::RelayPosition::waveformGenerator);
    ASSERT_GT(electronicsPeer->voltage(), 0.0);

    delegate->shutDown();

    EXPECT_EQ(electronicsPeer->voltage(), 0.0);
    EXPECT_EQ(electronicsPeer->relay(), SimulatedElectronics::RelayPosition::electronics);
    EXPECT_TRUE(robot->movementAborted());
    EXPECT_FALSE(robot->serialPort()) << "the positioner's link is closed";
    EXPECT_FALSE(electronics->serialPort());
    EXPECT_EQ(humiditySensor->openHandleCount(), 0u);
    EXPECT_EQ(instrument->cabling().bus()->openHandleCount(), 0u);
    const std::size_t commandsAtEnd = electronicsPeer->commands().size();
    // Three poll intervals pass.
    mainThread.pump().runUntil([] { return false; }, std::chrono::milliseconds(300));
    EXPECT_EQ(electronicsPeer->commands().size(), commandsAtEnd) << "no status tick after the end";
}
