#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/Robotics/SurfaceFinding.hpp"
#include "Dotfield/tests/Support/ErrorCapture.hpp"
#include "Dotfield/tests/Support/SampledDispenser.hpp"
#include "Dotfield/tests/Support/SimulatedDropwrightFixture.hpp"

namespace Dotfield::testing {
namespace {

using Coordinate = VeltranePatterns::Coordinate;

// The test robot over the world's tilted surface, and the electronics on the
// same instrument, whose reference statistics are sampled with the tip high
// above the surface and whose status poll runs (on a clock that never ticks
// here) until surface finding suspends it.
class SurfaceFindingOnSimulatedInstrument : public SimulatedDropwrightFixture {
  protected:
    static constexpr double x = 4000.0;
    static constexpr double y = 6000.0;

    explicit SurfaceFindingOnSimulatedInstrument(double surfaceHeight = 3000.0) {
        options.surface = Simulators::SimulatedSurface::plane(surfaceHeight, 0.01, -0.005);
        options.start = Simulators::WorldPoint{x, y, 20000.0};
    }

    void SetUp() override {
        SimulatedDropwrightFixture::SetUp();
        connectRobot();
        instrument->electronics()->setMeasurementNoise(2.0, 0.002, 11);
        electronics = makeElectronicsWithSampledDispenser(store, pollClock, openPort(properties(SerialPortType::electronics)));
        surface = world->surface()->heightAt(x, y);
        robot->setCoordinateUpdateObserver(
            [this](const Coordinate& position) { reported.push_back(position); });
    }

    void TearDown() override {
        EXPECT_FALSE(electronics->dispatchTimer().isSuspended());
        electronics.reset();
        SimulatedDropwrightFixture::TearDown();
    }

    // From `above` µm over the surface, with the robot's own step sizes.
    Coordinate findFrom(double above, bool stepOff) {
        return performOnQueueSync(
            [&] {
                robot->moveToPosition({x, y, surface + above});
                reported.clear();
                return findSurfaceWithApproachStepSize(robot->surfaceApproachStepSize(),
                                                       robot->surfaceRetractionStepSize(), stepOff, *robot,
                                                       *electronics, [this] { ++recalibrations; });
            },
            *robot);
    }

    std::shared_ptr<ManualClock> pollClock = std::make_shared<ManualClock>();
    std::shared_ptr<Electronics> electronics;
    double surface = 0.0;
    std::vector<Coordinate> reported;
    int recalibrations = 0;
};

TEST_F(SurfaceFindingOnSimulatedInstrument, StopsAtTheFirstContactPressingLessThanOneStep) {
    ASSERT_DOUBLE_EQ(surface, 3010.0);
    const Coordinate found = findFrom(57, false);
    EXPECT_LE(found.z, surface);
    EXPECT_GT(found.z, surface - robot->surfaceApproachStepSize());
    EXPECT_GT(world->deepestPress(), 0.0);
    EXPECT_LE(world->deepestPress(), robot->surfaceApproachStepSize());
    EXPECT_DOUBLE_EQ(world->tipPosition().z, found.z);
    EXPECT_EQ(reported.size(), 6u);
    EXPECT_EQ(recalibrations, 0);
}

TEST_F(SurfaceFindingOnSimulatedInstrument, StepsOffToWithinOneRetractionStepAboveTheSurface) {
    const Coordinate found = findFrom(57, true);
    EXPECT_GT(found.z, surface);
    EXPECT_LE(found.z, surface + robot->surfaceRetractionStepSize());
    EXPECT_DOUBLE_EQ(world->tipPosition().z, found.z);
}

TEST_F(SurfaceFindingOnSimulatedInstrument, ATipOnTheSurfaceIsRaisedFirstWithoutRecalibrating) {
    const Coordinate found = findFrom(-30, false);
    ASSERT_FALSE(reported.empty());
    EXPECT_DOUBLE_EQ(reported.front().z, surface - 30 + miscalibrationRaise);
    EXPECT_EQ(recalibrations, 0);
    EXPECT_LE(found.z, surface);
    EXPECT_GT(found.z, surface - robot->surfaceApproachStepSize());
}

// A surface below the bottom of the travel: the approach runs into the limit.
class SurfaceBelowTheTravel : public SurfaceFindingOnSimulatedInstrument {
  protected:
    SurfaceBelowTheTravel() : SurfaceFindingOnSimulatedInstrument(-520.0) {}
};

TEST_F(SurfaceBelowTheTravel, EndsAtTheLimitWithThePollRunningAgain) {
    // The surface at the test point lies at -510: a start 550 above it is 40 µm over the travel's bottom.
    const auto error = errorThrownBy<RoboticsError>([&] { findFrom(550, false); });
    EXPECT_EQ(error.kind(), RoboticsError::Kind::abortedDuringMove);
    EXPECT_DOUBLE_EQ(robot->currentCoordinate().z, 0.0);
    EXPECT_DOUBLE_EQ(world->tipPosition().z, 0.0);
    EXPECT_DOUBLE_EQ(world->deepestPress(), 0.0);
}

} // namespace
} // namespace Dotfield::testing
