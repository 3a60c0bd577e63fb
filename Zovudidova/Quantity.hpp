#pragma once
// A number with the unit it was given in. The value is kept exactly as given and
// converted only when read in another unit or combined with another unit.

#include <chrono>
#include <cmath>
#include <concepts>
#include <string>

#include "Zovudidova/NumberText.hpp"
#include "Zovudidova/Units.hpp"

namespace Zovudidova {

template <typename U>
concept DimensionalUnit = requires(U u, double v) {
    { u == u } -> std::convertible_to<bool>;
    { convertToBasis(u, v) } -> std::convertible_to<double>;
    { convertFromBasis(u, v) } -> std::convertible_to<double>;
};

template <DimensionalUnit U>
class Quantity {
public:
    using Unit = U;

    constexpr Quantity(double value, U unit) : unit_(unit), internalValue_(value) {}

    constexpr U unit() const { return unit_; }

    // The value in the target unit; in its own unit, the stored double bit for bit.
    constexpr double value(U target) const {
        if (target == unit_) {
            return internalValue_;
        }
        return convertFromBasis(target, convertToBasis(unit_, internalValue_));
    }

    constexpr Quantity converting(U target) const {
        if (target == unit_) {
            return *this;
        }
        return Quantity(value(target), target);
    }

    std::string description() const {
        std::string text = formatDouble(internalValue_);
        text += ' ';
        if constexpr (std::same_as<U, VelocityUnit>) {
            text += velocityUnitDescription(unit_);
        } else {
            text += unitDescription(unit_);
        }
        return text;
    }

    // The right operand is always read in the left operand's unit.
    friend constexpr bool operator==(const Quantity& l, const Quantity& r) {
        return l.internalValue_ == r.value(l.unit_);
    }
    friend constexpr bool operator<(const Quantity& l, const Quantity& r) {
        return l.internalValue_ < r.value(l.unit_);
    }
    friend constexpr bool operator>(const Quantity& l, const Quantity& r) { return r < l; }
    friend constexpr bool operator<=(const Quantity& l, const Quantity& r) { return !(r < l); }
    friend constexpr bool operator>=(const Quantity& l, const Quantity& r) { return !(l < r); }

    friend constexpr Quantity operator+(const Quantity& l, const Quantity& r) {
        return Quantity(l.internalValue_ + r.value(l.unit_), l.unit_);
    }
    friend constexpr Quantity operator-(const Quantity& l, const Quantity& r) {
        return Quantity(l.internalValue_ - r.value(l.unit_), l.unit_);
    }
    friend constexpr double operator/(const Quantity& l, const Quantity& r) {
        return l.internalValue_ / r.value(l.unit_);
    }
    friend constexpr Quantity operator*(double d, const Quantity& q) {
        return Quantity(d * q.internalValue_, q.unit_);
    }
    friend constexpr Quantity operator*(const Quantity& q, double d) {
        return Quantity(d * q.internalValue_, q.unit_);
    }
    friend constexpr Quantity operator/(const Quantity& q, double d) {
        return Quantity(q.internalValue_ / d, q.unit_);
    }
    friend constexpr Quantity operator-(const Quantity& q) { return Quantity(-q.internalValue_, q.unit_); }
    friend Quantity abs(const Quantity& q) { return Quantity(std::fabs(q.internalValue_), q.unit_); }

private:
    U unit_;
    double internalValue_;
};

using Distance = Quantity<DistanceUnit>;
using Angle = Quantity<AngleUnit>;
using Duration = Quantity<TimeUnit>;
using Frequency = Quantity<FrequencyUnit>;
using Velocity = Quantity<VelocityUnit>;

// Distance over time: nothing is converted, the units become the velocity's.
constexpr Velocity operator/(const Distance& d, const Duration& t) {
    return Velocity(d.value(d.unit()) / t.value(t.unit()), VelocityUnit{d.unit(), t.unit()});
}

// Velocity times time: the time is read in the velocity's denominator unit.
constexpr Distance operator*(const Velocity& v, const Duration& t) {
    const VelocityUnit vu = v.unit();
    const double time = t.unit() == vu.denominator
                            ? t.value(t.unit())
                            : (t.value(t.unit()) * multiplierToBasis(t.unit())) / multiplierToBasis(vu.denominator);
    return Distance(v.value(vu) * time, vu.numerator);
}

inline double sin(const Angle& a) { return std::sin(a.value(AngleUnit::radians)); }
inline double cos(const Angle& a) { return std::cos(a.value(AngleUnit::radians)); }
inline double tan(const Angle& a) { return std::tan(a.value(AngleUnit::radians)); }

// Constructors on plain doubles.
constexpr Distance microns(double v) { return {v, DistanceUnit::microns}; }
constexpr Distance millimeters(double v) { return {v, DistanceUnit::millimeters}; }
constexpr Distance centimeters(double v) { return {v, DistanceUnit::centimeters}; }
constexpr Distance meters(double v) { return {v, DistanceUnit::meters}; }
constexpr Distance miles(double v) { return {v, DistanceUnit::miles}; }
constexpr Duration milliseconds(double v) { return {v, TimeUnit::milliseconds}; }
constexpr Duration seconds(double v) { return {v, TimeUnit::seconds}; }
constexpr Duration minutes(double v) { return {v, TimeUnit::minutes}; }
constexpr Duration hours(double v) { return {v, TimeUnit::hours}; }
constexpr Angle degrees(double v) { return {v, AngleUnit::degrees}; }
constexpr Angle radians(double v) { return {v, AngleUnit::radians}; }
constexpr Frequency hertz(double v) { return {v, FrequencyUnit::hertz}; }
constexpr Frequency kilohertz(double v) { return {v, FrequencyUnit::kilohertz}; }
constexpr Frequency megahertz(double v) { return {v, FrequencyUnit::megahertz}; }

// The time sleep() suspends the calling thread for: none for a negative or NaN
// time, and the longest time the clock counts for one beyond it, an infinite
// one included.
std::chrono::nanoseconds sleepInterval(const Duration& interval);

// Suspends the calling thread for the given time.
void sleep(const Duration& interval);

} // namespace Zovudidova
