#pragma once
// A connected generation-II robot over the SmartMotor bus for contour tests,
// with the world running a hundred times faster than real time: the motors
// play a contour within milliseconds, far quicker than the host queries them.
// Reads the contours the motors were sent back out of the bus's transcript.

#include <string>
#include <vector>

#include "Dotfield/Robotics/SmartMotor/ContouringCoordinate.hpp"
#include "Dotfield/tests/Robotics/SmartMotor/SmartMotorFixture.hpp"

namespace Dotfield::testing {

class ContourFixture : public SmartMotorFixture {
  protected:
    static constexpr double contourWorldRate = 100.0;

    // The axes start at (0, 0, 0), homed.
    explicit ContourFixture(std::string model = "IIb");
    // Connects, reads the position and clears the transcript.
    void SetUp() override;

    // The values of one motor's data items of one kind ("position", "time").
    std::vector<std::int64_t> itemsTo(int motor, const std::string& kind) const;
    // The positions streamed, in microns, point by point (the closing
    // repeat left out). Axes that got no positions read as 0.
    std::vector<Robot::Coordinate> streamedPoints() const;
    // Whether the transcript holds the command to the motor after the last
    // position item.
    bool sentAfterTheLastPosition(const Command& command) const;
};

} // namespace Dotfield::testing
