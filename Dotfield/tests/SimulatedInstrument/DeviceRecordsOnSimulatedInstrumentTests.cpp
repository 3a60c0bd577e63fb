#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/Instrument/Relay/RelayControl.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/tests/Support/SimulatedDropwrightFixture.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield::testing {
namespace {

using namespace std::chrono_literals;

// The world in real time, so that its records and the electronics' own
// timing agree.
class DeviceRecordsOnSimulatedInstrument : public SimulatedDropwrightFixture {
  protected:
    DeviceRecordsOnSimulatedInstrument() {
        options.clock = std::make_shared<Simulators::RealTimeWorldClock>(1.0);
        options.start = Simulators::WorldPoint{1000.0, 2000.0, 5000.0};
    }
};

TEST_F(DeviceRecordsOnSimulatedInstrument, ADispenseAndAUVExposureAreRecordedWhereTheTipIs) {
    const auto electronics = std::make_shared<Electronics>(store);
    electronics->setSerialPort(openPort(properties(SerialPortType::electronics)));
    electronics->setHardwareGeneration(ElectronicsHardwareGeneration::redesign2016);
    performOnQueueSync([&] { electronics->dispense(Zovudidova::seconds(0.2)); }, *electronics);

    const auto drives = world->dispenserDrives();
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_TRUE(drives[0].finished);
    // The stored defaults: 0.5 V at 460 kHz, within the resolution of the
    // voltage code and the frequency register.
    EXPECT_NEAR(drives[0].voltage, 0.5, 0.005);
    EXPECT_NEAR(drives[0].mainFrequencyHz(), 460000.0, 0.1);
    EXPECT_GE(drives[0].duration(), 200ms);
    EXPECT_LT(drives[0].duration(), 2s);
    EXPECT_EQ(drives[0].tipPath, (std::vector<Simulators::WorldPoint>{{1000.0, 2000.0, 5000.0}}));

    const auto relay = openPort(properties(SerialPortType::relay));
    switchExternalRelay(RelayState::closed, relay);
    // The exposure's length is what is recorded, on the world's real-time
    // clock: the relay stays closed for a while of real time, not for an event.
    std::this_thread::sleep_for(50ms);
    switchExternalRelay(RelayState::open, relay);
    const auto exposures = world->uvExposures();
    ASSERT_EQ(exposures.size(), 1u);
    EXPECT_TRUE(exposures[0].finished);
    EXPECT_GE(exposures[0].duration(), 50ms);
}

} // namespace
} // namespace Dotfield::testing
