// DropwrightIIa: lines and arcs drawn as one contour each, planned as timed
// points, kept on the surface and streamed into the motors' buffers.

#include <cmath>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Robotics/CorrectedPoint.hpp"
#include "Dotfield/Robotics/Models/DropwrightIIa.hpp"
#include "Dotfield/Robotics/SmartMotor/AnimaticsCommands.hpp"
#include "Dotfield/Robotics/SmartMotor/ContourSurfaceCorrection.hpp"
#include "Dotfield/Robotics/SmartMotor/ContouringMoveSequence.hpp"
#include "Dotfield/Robotics/SmartMotor/ContouringPlanner.hpp"
#include "Dotfield/Robotics/SpeedOverride.hpp"
#include "Dotfield/Robotics/SurfaceTopographyMap.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

// Points the planners aim at per line and per arc.
constexpr int lineSamples = 16;
constexpr int arcSamples = 32;
// Lines this short (µm) are not drawn.
constexpr double shortestLine = 1.0;

// A failed exchange reaches the caller converted; the errors of the buffer
// queries and of the waits (stall, obstruction, abort) as they are.
void streamContour(const std::vector<ContouringCoordinate>& points, DropwrightIIa& robot) {
    try {
        animaticsMoveSequence(points, robot);
    } catch (const CommunicationsError& error) {
        throw convertedAnimaticsError(error);
    }
}

} // namespace

void DropwrightIIa::drawLineToCoordinate(const Coordinate& coordinate,
                                         const std::shared_ptr<SurfaceTopographyMap>& topographyMap,
                                         std::optional<double> overrideVelocity,
                                         std::optional<double> overrideAcceleration) {
    if (!VeltranePatterns::isFinite(coordinate)) {
        throw Diagnostics::logAndReturnError(RoboticsError(RoboticsError::Kind::abortedDuringMove));
    }
    const Coordinate start = currentCoordinate();
    if (VeltranePatterns::distance(start, coordinate) <= shortestLine) {
        return;
    }
    // The leading axis's pattern-printing speeds: X, else Y, else Z.
    const AxisFlags differ = coordinate.differenceAboveMargin(start, movementMargin);
    const AxisValues velocities = patternPrintingVelocities();
    const AxisValues accelerations = patternPrintingAccelerations();
    double velocity = velocities.x;
    double acceleration = accelerations.x;
    if (!differ.x && differ.y) {
        velocity = velocities.y;
        acceleration = accelerations.y;
    } else if (!differ.x && differ.z) {
        velocity = velocities.z;
        acceleration = accelerations.z;
    }
    velocity = usableSpeedOverride(overrideVelocity).value_or(velocity);
    acceleration = usableSpeedOverride(overrideAcceleration).value_or(acceleration);

    std::vector<ContouringCoordinate> points = planLinearMove(lineSamples, usesNewAnimaticsMotors(), start, coordinate,
                                                              velocity, acceleration, modelRow().samplePeriod);
    if (topographyMap) {
        followSurfaceAlongLine(points, start, coordinate, *topographyMap);
    }
    streamContour(points, *this);
}

void DropwrightIIa::drawArc(const Zovudidova::Angle& from, const Zovudidova::Angle& to, const Coordinate& centerPoint,
                            double radius, VeltranePatterns::RotationalDirection direction,
                            const Coordinate& patternStart, const SurfaceCant& surfaceCant, double scaleFactor,
                            const Zovudidova::Angle& rotation,
                            const std::shared_ptr<SurfaceTopographyMap>& topographyMap,
                            std::optional<double> overrideVelocity, std::optional<double> overrideAcceleration) {
    // The centre placed as every pattern point is: scaled, turned, anchored
    // and raised by the surface.
    const PatternCorrections corrections{patternStart, surfaceCant, scaleFactor, rotation, topographyMap};
    const Coordinate center = correctedPoint(centerPoint, corrections);
    const double velocity = usableSpeedOverride(overrideVelocity).value_or(patternPrintingVelocities().x);
    const double acceleration =
        usableSpeedOverride(overrideAcceleration).value_or(patternPrintingAccelerations().x);

    // The angles turn with the pattern, so the contour starts at the
    // corrected start point the printing engine travelled to.
    std::vector<ContouringCoordinate> points =
        planArcMove(from + rotation, to + rotation, center, radius * scaleFactor, velocity, acceleration, arcSamples,
                    usesNewAnimaticsMotors(), direction, modelRow().samplePeriod);
    followSurfaceAroundArc(points, center, surfaceCant, topographyMap.get());
    streamContour(points, *this);
}

} // namespace Dotfield
