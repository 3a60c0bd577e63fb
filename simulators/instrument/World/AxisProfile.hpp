#pragma once
// One point-to-point move of one axis, from rest to rest: it accelerates at a
// constant rate up to the commanded velocity, cruises, and decelerates at the
// same rate (a trapezoid of velocity over time); a move too short to reach the
// velocity turns at half way (a triangle). Positions are in microns, times in
// seconds from the start of the move.

#include <array>

namespace Simulators {

class AxisProfile {
  public:
    // At rest at the position.
    explicit AxisProfile(double position = 0.0);
    // From `from` to `to` with a velocity and acceleration greater than zero
    // (the caller checks them).
    AxisProfile(double from, double to, double velocity, double acceleration);

    double from() const { return from_; }
    double to() const { return to_; }
    // The time the move takes; 0 for a move that goes nowhere.
    double duration() const { return duration_; }

    // The position t seconds after the start (from() before, to() after).
    double positionAt(double t) const;
    // The first time the axis is at the position (0 for a position behind the
    // start, duration() for one beyond the end).
    double timeReaching(double position) const;
    // The times at which the motion changes phase: start, end of the
    // acceleration, start of the deceleration, end.
    std::array<double, 4> phaseTimes() const;

  private:
    double from_ = 0.0;
    double to_ = 0.0;
    double acceleration_ = 1.0;
    double peakVelocity_ = 0.0;
    double accelerationTime_ = 0.0;
    double accelerationDistance_ = 0.0;
    double duration_ = 0.0;
};

} // namespace Simulators
