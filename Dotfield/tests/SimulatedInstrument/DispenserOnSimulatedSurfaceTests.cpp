#include <memory>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/DispenserStatus/StatisticalSampling.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/tests/Support/SimulatedDropwrightFixture.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield::testing {
namespace {

using Coordinate = VeltranePatterns::Coordinate;
using Status = DispenserConnectionStatus;

// The robot over a tilted surface, and the electronics object on the same
// instrument's electronics link, with reference statistics sampled while the
// tip hangs high above the surface.
class DispenserOverTiltedSurface : public SimulatedDropwrightFixture {
  protected:
    DispenserOverTiltedSurface() {
        options.surface = Simulators::SimulatedSurface::plane(3000.0, 0.01, -0.005);
        options.start = Simulators::WorldPoint{0.0, 0.0, 20000.0};
    }

    void SetUp() override {
        SimulatedDropwrightFixture::SetUp();
        connectRobot();
        instrument->electronics()->setMeasurementNoise(2.0, 0.002, 7);
        electronics = std::make_shared<Electronics>(store);
        electronics->setSerialPort(openPort(properties(SerialPortType::electronics)));
        electronics->setHardwareGeneration(ElectronicsHardwareGeneration::redesign2016);
        electronics->setDispenserStatistics(performOnQueueSync(
            [&] { return performStatisticalSamplingOfImpedances(points, *electronics, {}); }, *electronics));
    }

    void TearDown() override {
        electronics.reset();
        SimulatedDropwrightFixture::TearDown();
    }

    Status check() {
        return performOnQueueSync([&] { return electronics->checkDispenserStatus(true); }, *electronics);
    }

    static ImpedanceCalibrationValue point(double frequencyKilohertz) {
        return {Zovudidova::kilohertz(frequencyKilohertz), 1};
    }

    const DispenserStatusPoints points{{point(250.0), point(300.0), point(350.0), point(400.0), point(450.0)}};
    std::shared_ptr<Electronics> electronics;
};

TEST_F(DispenserOverTiltedSurface, TwentyMicronsAboveIsOffTheSurfaceAndAtItOn) {
    const double x = 4000.0;
    const double y = 6000.0;
    const double surface = world->surface()->heightAt(x, y);
    ASSERT_DOUBLE_EQ(surface, 3010.0);
    struct Case {
        double above;
        Status expected;
    };
    for (const Case& c : {Case{20.0, Status::connectedAndOffSurface}, Case{0.0, Status::connectedAndOnSurface},
                          Case{20.0, Status::connectedAndOffSurface}}) {
        performOnQueueSync([&] { robot->moveToPosition(Coordinate{x, y, surface + c.above}); }, *robot);
        EXPECT_EQ(check(), c.expected) << c.above << " µm above";
    }
    EXPECT_DOUBLE_EQ(world->deepestPress(), 0.0);
}

} // namespace
} // namespace Dotfield::testing
