#pragma once
// The unattended motion test of the positioner: rapid moves between the
// corners of the travel at the top of the Z range, with plunges to the bottom
// of it, repeated until the operator cancels or a move fails.
//
// Five positions come from the robot's travel limits, read once:
//   A (min x + 1000, min y + 1000, max z - 1000)   B (max x, min y + 1000, max z - 1000)
//   C (min x + 1000, max y, max z - 1000)           D (max x, max y, max z - 1000)
//   E (min x + 1000, min y + 1000, min z)
// The test goes to A, then runs stageMovementTestCycle over and over.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <stdexcept>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

class Robot;

struct StageMovementTestPositions {
    VeltranePatterns::Coordinate a;
    VeltranePatterns::Coordinate b;
    VeltranePatterns::Coordinate c;
    VeltranePatterns::Coordinate d;
    VeltranePatterns::Coordinate e;

    // The position named by 'A' to 'E'.
    const VeltranePatterns::Coordinate& operator[](char name) const;
};

// How far inside the low X and Y limits and below the top of Z the tour runs (µm).
inline constexpr double stageMovementTestInset = 1000.0;

// The 22 moves of one cycle, after the first move to A.
inline constexpr std::array<char, 22> stageMovementTestCycle{'C', 'D', 'B', 'A', 'E', 'A', 'B', 'D', 'C', 'A', 'E',
                                                             'A', 'D', 'B', 'C', 'A', 'E', 'C', 'B', 'D', 'A', 'E'};

StageMovementTestPositions stageMovementTestPositions(const VeltranePatterns::Coordinate& minimum,
                                                      const VeltranePatterns::Coordinate& maximum);

// The test would leave the positioner's travel (a robot that reports no
// limits would be sent below the bottom of Z); nothing was moved.
class StageMovementTestOutsideTravel final : public std::runtime_error {
  public:
    StageMovementTestOutsideTravel();
};

// Runs the test on the calling thread (the robot's queue): reads the limits,
// refuses with StageMovementTestOutsideTravel unless all five positions lie
// within them, sets the manual positioning speeds, moves to A and then runs
// the cycle until shouldCancel is found set after a move (it returns then),
// telling cycleCompleted (when given) the number of whole cycles run after
// each. The first error of a move ends the test and is thrown.
void performStageMovementTestLoop(Robot& robot, const std::atomic<bool>& shouldCancel,
                                  const std::function<void(std::uint64_t)>& cycleCompleted = {});

} // namespace Dotfield
