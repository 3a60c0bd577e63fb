#pragma once
// The test robot connected to the whole simulated instrument, with helpers to
// run its operations on its queue and to follow the positions it reports.

#include <utility>
#include <vector>

#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/tests/Support/SimulatedDropwrightFixture.hpp"

namespace Dotfield::testing {

using Coordinate = VeltranePatterns::Coordinate;

inline Coordinate coordinateOf(const Simulators::WorldPoint& point) {
    return {point.x, point.y, point.z};
}

class RobotOnSimulatedInstrument : public SimulatedDropwrightFixture {
  protected:
    void SetUp() override {
        SimulatedDropwrightFixture::SetUp();
        connectRobot();
        positioner->clearCommands();
    }

    // Runs the work on the robot queue and waits for it (the test thread is
    // the main thread).
    template <typename Work> auto onRobotQueue(Work&& work) {
        return performOnQueueSync(std::forward<Work>(work), *robot);
    }

    // Records each position the robot reports with where the world's tip is then.
    void observePositions() {
        robot->setCoordinateUpdateObserver([this](const Coordinate& coordinate) {
            reported.push_back(coordinate);
            worldThen.push_back(coordinateOf(world->tipPosition()));
        });
    }

    std::vector<Coordinate> reported;
    std::vector<Coordinate> worldThen;
};

} // namespace Dotfield::testing
