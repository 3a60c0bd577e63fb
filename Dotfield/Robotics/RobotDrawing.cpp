// The base robot's line and arc drawing. A line is made of independent axis
// moves: every axis that travels less than the leading one gets a
// proportionally lower velocity and acceleration, so the axes arrive together
// and the tip follows the line. An arc is a chain of such lines.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Robotics/ArcSegmentation.hpp"
#include "Dotfield/Robotics/AxisComponents.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/Robotics/SpeedOverride.hpp"
#include "Dotfield/Robotics/SurfaceTopographyMap.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

// An axis that travels less than the leading one, and its share of the
// leading axis's travel.
struct SecondaryAxis {
    MotorPosition axis;
    double ratio;
};

// The leading axis and the scaled axes (Z first) of a move by d on the axes
// that differ; X leads on equal X and Y travel.
struct AxisPlan {
    MotorPosition leading = MotorPosition::xMotor;
    std::array<SecondaryAxis, 2> secondary{};
    std::size_t secondaryCount = 0;
};

AxisPlan planAxes(const VeltranePatterns::AxisFlags& differ, const VeltranePatterns::Coordinate& d) {
    AxisPlan plan;
    const auto add = [&plan](MotorPosition axis, double travel, double leadingTravel) {
        plan.secondary[plan.secondaryCount++] = {axis, std::fabs(travel) / std::fabs(leadingTravel)};
    };
    if (differ.x && differ.y) {
        const bool yLeads = std::fabs(d.x) < std::fabs(d.y);
        plan.leading = yLeads ? MotorPosition::yMotor : MotorPosition::xMotor;
        const double leadingTravel = yLeads ? d.y : d.x;
        if (differ.z) {
            add(MotorPosition::zMotor, d.z, leadingTravel);
        }
        add(yLeads ? MotorPosition::xMotor : MotorPosition::yMotor, yLeads ? d.x : d.y, leadingTravel);
    } else if (differ.z && (differ.x || differ.y)) {
        plan.leading = differ.x ? MotorPosition::xMotor : MotorPosition::yMotor;
        add(MotorPosition::zMotor, d.z, differ.x ? d.x : d.y);
    }
    return plan;
}

// A secondary axis whose controller cannot go as slowly as its share of a
// line runs ahead of the others; such a line is drawn in pieces along which
// that axis travels at most this far (µm), so it never leads by more.
constexpr double largestRunAhead = 1.0;

} // namespace

void Robot::drawLineToCoordinate(const Coordinate& coordinate, const std::shared_ptr<SurfaceTopographyMap>&,
                                 std::optional<double> overrideVelocity,
                                 std::optional<double> overrideAcceleration) {
    // A target that is not a number would reach the controllers as a ratio of
    // speeds before the move itself refuses it.
    if (!VeltranePatterns::isFinite(coordinate)) {
        throw Diagnostics::logAndReturnError(RoboticsError(RoboticsError::Kind::abortedDuringMove));
    }
    const std::optional<double> velocity = usableSpeedOverride(overrideVelocity);
    const std::optional<double> acceleration = usableSpeedOverride(overrideAcceleration);
    const Coordinate displacement = coordinate - currentCoordinate();

    // The overrides go to X and Y only; Z keeps its own speeds.
    if (velocity) {
        setVelocity(*velocity, MotorPosition::xMotor);
        setVelocity(*velocity, MotorPosition::yMotor);
    }
    if (acceleration) {
        setAcceleration(*acceleration, MotorPosition::xMotor);
        setAcceleration(*acceleration, MotorPosition::yMotor);
    }
    const AxisFlags differ = coordinate.differenceAboveMargin(currentCoordinate(), movementMargin);
    if (!differ.x && !differ.y && !differ.z) {
        return;
    }

    const AxisPlan plan = planAxes(differ, displacement);
    const AxisValues velocities = patternPrintingVelocities();
    const AxisValues accelerations = patternPrintingAccelerations();
    // Proportioned to what the leading axis really runs at, so that a
    // controller that rounds or bounds its settings still keeps the line.
    const double leadingAcceleration = attainedAcceleration(
        acceleration ? *acceleration : axisComponent(accelerations, plan.leading), plan.leading);
    const double leadingVelocity =
        attainedVelocity(velocity ? *velocity : axisComponent(velocities, plan.leading), plan.leading);
    std::size_t pieces = 1;
    for (std::size_t i = 0; i < plan.secondaryCount; ++i) {
        const SecondaryAxis& secondary = plan.secondary[i];
        const double share = leadingVelocity * secondary.ratio;
        const double travel = std::fabs(secondary.axis == MotorPosition::zMotor   ? displacement.z
                                        : secondary.axis == MotorPosition::yMotor ? displacement.y
                                                                                   : displacement.x);
        if (attainedVelocity(share, secondary.axis) > share * 1.01 && travel > largestRunAhead) {
            pieces = std::max(pieces, static_cast<std::size_t>(std::ceil(travel / largestRunAhead)));
        }
    }
    if (pieces > 1) {
        const Coordinate from = currentCoordinate();
        for (std::size_t k = 1; k <= pieces; ++k) {
            const Coordinate piece =
                k == pieces ? coordinate : from + displacement * (static_cast<double>(k) / static_cast<double>(pieces));
            Robot::drawLineToCoordinate(piece, nullptr, overrideVelocity, overrideAcceleration);
        }
        return;
    }
    for (std::size_t i = 0; i < plan.secondaryCount; ++i) {
        setAcceleration(leadingAcceleration * plan.secondary[i].ratio, plan.secondary[i].axis);
    }
    for (std::size_t i = 0; i < plan.secondaryCount; ++i) {
        setVelocity(leadingVelocity * plan.secondary[i].ratio, plan.secondary[i].axis);
    }

    moveToPosition(coordinate);

    for (std::size_t i = 0; i < plan.secondaryCount; ++i) {
        setAcceleration(axisComponent(accelerations, plan.secondary[i].axis), plan.secondary[i].axis);
    }
    for (std::size_t i = 0; i < plan.secondaryCount; ++i) {
        setVelocity(axisComponent(velocities, plan.secondary[i].axis), plan.secondary[i].axis);
    }
    if (velocity) {
        setVelocity(velocities.x, MotorPosition::xMotor);
        setVelocity(velocities.y, MotorPosition::yMotor);
    }
    if (acceleration) {
        setAcceleration(accelerations.x, MotorPosition::xMotor);
        setAcceleration(accelerations.y, MotorPosition::yMotor);
    }
}

void Robot::drawArc(const Zovudidova::Angle& from, const Zovudidova::Angle& to, const Coordinate& centerPoint,
                    double radius, VeltranePatterns::RotationalDirection direction,
                    const Coordinate& patternStart, const SurfaceCant& surfaceCant, double scaleFactor,
                    const Zovudidova::Angle& rotation,
                    const std::shared_ptr<SurfaceTopographyMap>& topographyMap,
                    std::optional<double> overrideVelocity, std::optional<double> overrideAcceleration) {
    // The base arc's segments are 50 µm long.
    constexpr double segmentLength = 50.0;
    const PatternCorrections corrections{patternStart, surfaceCant, scaleFactor, rotation, topographyMap};
    for (const Coordinate& point : calculateArcDrawingCoordinates(segmentLength, from, to, direction,
                                                                  centerPoint, radius, corrections)) {
        drawLineToCoordinate(point, topographyMap, overrideVelocity, overrideAcceleration);
    }
}

} // namespace Dotfield
