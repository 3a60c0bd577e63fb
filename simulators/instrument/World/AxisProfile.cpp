#include "simulators/instrument/World/AxisProfile.hpp"

#include <algorithm>
#include <cmath>

namespace Simulators {

AxisProfile::AxisProfile(double position) : from_(position), to_(position) {}

AxisProfile::AxisProfile(double from, double to, double velocity, double acceleration)
    : from_(from), to_(to), acceleration_(acceleration) {
    const double distance = std::abs(to - from);
    if (distance == 0.0) {
        return;
    }
    if (distance >= velocity * velocity / acceleration) {
        // Trapezoid: reaches the velocity and cruises.
        peakVelocity_ = velocity;
        accelerationTime_ = velocity / acceleration;
        accelerationDistance_ = velocity * velocity / (2.0 * acceleration);
        duration_ = distance / velocity + velocity / acceleration;
    } else {
        // Triangle: turns at half way.
        peakVelocity_ = std::sqrt(distance * acceleration);
        accelerationTime_ = peakVelocity_ / acceleration;
        accelerationDistance_ = distance / 2.0;
        duration_ = 2.0 * accelerationTime_;
    }
}

double AxisProfile::positionAt(double t) const {
    if (t <= 0.0) {
        return from_;
    }
    if (t >= duration_) {
        return to_;
    }
    const double distance = std::abs(to_ - from_);
    double covered = 0.0;
    if (t < accelerationTime_) {
        covered = acceleration_ * t * t / 2.0;
    } else if (t < duration_ - accelerationTime_) {
        covered = accelerationDistance_ + peakVelocity_ * (t - accelerationTime_);
    } else {
        const double left = duration_ - t;
        covered = distance - acceleration_ * left * left / 2.0;
    }
    covered = std::clamp(covered, 0.0, distance);
    return to_ >= from_ ? from_ + covered : from_ - covered;
}

double AxisProfile::timeReaching(double position) const {
    const double distance = std::abs(to_ - from_);
    const double covered = to_ >= from_ ? position - from_ : from_ - position;
    if (covered <= 0.0) {
        return 0.0;
    }
    if (covered >= distance) {
        return duration_;
    }
    if (covered <= accelerationDistance_) {
        return std::sqrt(2.0 * covered / acceleration_);
    }
    if (covered <= distance - accelerationDistance_) {
        return accelerationTime_ + (covered - accelerationDistance_) / peakVelocity_;
    }
    return duration_ - std::sqrt(2.0 * (distance - covered) / acceleration_);
}

std::array<double, 4> AxisProfile::phaseTimes() const {
    return {0.0, accelerationTime_, duration_ - accelerationTime_, duration_};
}

} // namespace Simulators
