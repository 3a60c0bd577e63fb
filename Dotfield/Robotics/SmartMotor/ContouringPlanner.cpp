#include "Dotfield/Robotics/SmartMotor/ContouringPlanner.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

using VeltranePatterns::Coordinate;
using VeltranePatterns::RotationalDirection;

constexpr double endPointMargin = 0.5;
constexpr std::int64_t largestStep = 256;
constexpr std::int64_t smallestStepOnOlderMotors = 64;
constexpr std::int64_t smallestStepOnNewerMotors = 1;

[[noreturn]] void refuse() {
    throw Diagnostics::logAndReturnError(RoboticsError(RoboticsError::Kind::abortedDuringMove));
}

bool positiveFinite(double value) {
    return std::isfinite(value) && value > 0.0;
}

void requireUsableMotion(double velocity, double acceleration, double samplePeriod, int targetSamples) {
    if (!positiveFinite(velocity) || !positiveFinite(acceleration) || !positiveFinite(samplePeriod) ||
        targetSamples < 1) {
        refuse();
    }
}

// The length travelled after t seconds of a move of the given length: up to
// the velocity at the acceleration, on at it, and down again, or up and down
// at once when the move is too short to reach the velocity.
class SpeedProfile {
  public:
    SpeedProfile(double length, double velocity, double acceleration)
        : length_(length), velocity_(velocity), acceleration_(acceleration) {
        const double rampLength = velocity * velocity / acceleration;
        if (length > rampLength) {
            accelerationTime_ = std::sqrt(rampLength / acceleration);
            cruiseTime_ = (length - rampLength) / velocity;
        } else {
            accelerationTime_ = std::sqrt(length / acceleration);
            cruiseTime_ = 0.0;
        }
        duration_ = 2.0 * accelerationTime_ + cruiseTime_;
    }

    double duration() const { return duration_; }

    double travelled(double t) const {
        const double ta = accelerationTime_;
        const double a = acceleration_;
        if (t < ta) {
            return 0.5 * a * t * t;
        }
        if (t < ta + cruiseTime_) {
            return 0.5 * a * ta * ta + velocity_ * (t - ta);
        }
        if (t < duration_) {
            const double u = t - ta - cruiseTime_;
            return 0.5 * a * ta * ta + velocity_ * cruiseTime_ + a * ta * u - 0.5 * a * u * u;
        }
        return length_;
    }

  private:
    double length_;
    double velocity_;
    double acceleration_;
    double accelerationTime_ = 0.0;
    double cruiseTime_ = 0.0;
    double duration_ = 0.0;
};

// How the profile is sampled: every `step` motor samples, `intervals` whole
// steps fitting into its n = ⌊T/Δt⌋ samples.
struct Sampling {
    std::int64_t step = 1;
    std::int64_t intervals = 0;
};

Sampling sampling(const SpeedProfile& profile, double samplePeriod, int targetSamples, bool newMotors,
                  std::int64_t extraPoints) {
    const double samples = std::max(1.0, std::floor(profile.duration() / samplePeriod));
    if (!std::isfinite(samples)) {
        refuse();
    }
    const double wanted = std::round(std::exp2(std::ceil(std::log2(samples / targetSamples))));
    const double smallest = static_cast<double>(newMotors ? smallestStepOnNewerMotors : smallestStepOnOlderMotors);
    const double step = std::clamp(wanted, smallest, static_cast<double>(largestStep));
    const double intervals = std::floor(samples / step);
    // The end point may follow the samples.
    if (intervals + static_cast<double>(extraPoints) + 1.0 > static_cast<double>(maximumContourPoints)) {
        refuse();
    }
    return {static_cast<std::int64_t>(step), static_cast<std::int64_t>(intervals)};
}

std::int64_t timestampOf(std::int64_t index, const Sampling& sampled, bool newMotors) {
    return newMotors ? sampled.step : index * sampled.step;
}

void appendEndPoint(std::vector<ContouringCoordinate>& points, const Coordinate& end, const Sampling& sampled,
                    bool newMotors) {
    const ContouringCoordinate& last = points.back();
    if (VeltranePatterns::distance(last.coordinate, end) > endPointMargin) {
        points.push_back({end, newMotors ? sampled.step : last.timestamp + sampled.step});
    }
}

} // namespace

std::vector<ContouringCoordinate> planLinearMove(int targetSamples, bool usesNewAnimaticsMotors,
                                                 const Coordinate& start, const Coordinate& end, double velocity,
                                                 double acceleration, double samplePeriod) {
    requireUsableMotion(velocity, acceleration, samplePeriod, targetSamples);
    if (!VeltranePatterns::isFinite(start) || !VeltranePatterns::isFinite(end)) {
        refuse();
    }
    const double length = VeltranePatterns::distance(start, end);
    if (length == 0.0) {
        return {{start, 0}};
    }
    const SpeedProfile profile(length, velocity, acceleration);
    const Sampling sampled = sampling(profile, samplePeriod, targetSamples, usesNewAnimaticsMotors, 1);
    const Coordinate direction = (end - start) / length;

    std::vector<ContouringCoordinate> points;
    points.reserve(static_cast<std::size_t>(sampled.intervals) + 2);
    for (std::int64_t i = 0; i <= sampled.intervals; ++i) {
        const double travelled =
            profile.travelled(static_cast<double>(i * sampled.step) * samplePeriod);
        const Coordinate offset{std::round(direction.x * travelled), std::round(direction.y * travelled),
                                std::round(direction.z * travelled)};
        points.push_back({start + offset, timestampOf(i, sampled, usesNewAnimaticsMotors)});
    }
    appendEndPoint(points, end, sampled, usesNewAnimaticsMotors);
    return points;
}

std::vector<ContouringCoordinate> planArcMove(const Zovudidova::Angle& startAngle, const Zovudidova::Angle& endAngle,
                                              const Coordinate& center, double radius, double velocity,
                                              double acceleration, int targetSamples, bool usesNewAnimaticsMotors,
                                              RotationalDirection direction, double samplePeriod) {
    requireUsableMotion(velocity, acceleration, samplePeriod, targetSamples);
    double alpha = startAngle.value(Zovudidova::AngleUnit::radians);
    double beta = endAngle.value(Zovudidova::AngleUnit::radians);
    if (!VeltranePatterns::isFinite(center) || !std::isfinite(radius) || !std::isfinite(alpha) ||
        !std::isfinite(beta)) {
        refuse();
    }
    if (radius == 0.0) {
        return {{center, 0}};
    }

    constexpr double fullTurn = 2.0 * std::numbers::pi;
    const bool clockwise = direction == RotationalDirection::clockwise;
    if (alpha == beta) {
        beta = clockwise ? beta + fullTurn : beta - fullTurn;
    } else if (clockwise && beta < alpha) {
        beta += fullTurn;
    } else if (!clockwise && alpha < beta) {
        alpha += fullTurn;
    }
    const double sweep = clockwise ? beta - alpha : alpha - beta;
    const double sign = clockwise ? 1.0 : -1.0;

    // A negative radius (a pattern scaled by a negative factor) puts every
    // point on the far side of the centre; the speeds along the circle count
    // its size.
    const double size = std::fabs(radius);
    const SpeedProfile profile(sweep, velocity / size, acceleration / size);
    const Sampling sampled = sampling(profile, samplePeriod, targetSamples, usesNewAnimaticsMotors, 2);
    const auto pointAt = [&](double angle) {
        return Coordinate{center.x + std::round(radius * std::cos(angle)),
                          center.y + std::round(radius * std::sin(angle)), center.z};
    };

    std::vector<ContouringCoordinate> points;
    points.reserve(static_cast<std::size_t>(sampled.intervals) + 3);
    for (std::int64_t i = 0; i <= sampled.intervals + 1; ++i) {
        const double turned = profile.travelled(static_cast<double>(i * sampled.step) * samplePeriod);
        points.push_back({pointAt(alpha + sign * turned), timestampOf(i, sampled, usesNewAnimaticsMotors)});
    }
    appendEndPoint(points, pointAt(beta), sampled, usesNewAnimaticsMotors);
    return points;
}

} // namespace Dotfield
