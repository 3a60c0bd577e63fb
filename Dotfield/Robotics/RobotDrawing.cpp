// The base robot's line and arc drawing.

#include "Dotfield/Robotics/Robot.hpp"
#include "VeltranePatterns/Source/Diagnostics/ProgramStop.hpp"

namespace Dotfield {

void Robot::drawLineToCoordinate(const Coordinate&, const std::shared_ptr<SurfaceTopographyMap>&,
                                 std::optional<double>, std::optional<double>) {
    VeltranePatterns::stopProgram("drawLineToCoordinate not implemented yet");
}

void Robot::drawArc(const Zovudidova::Angle&, const Zovudidova::Angle&, const Coordinate&, double,
                    VeltranePatterns::RotationalDirection, const Coordinate&, const SurfaceCant&, double,
                    const Zovudidova::Angle&, const std::shared_ptr<SurfaceTopographyMap>&, std::optional<double>,
                    std::optional<double>) {
    VeltranePatterns::stopProgram("drawLineToCoordinate not implemented yet");
}

} // namespace Dotfield
