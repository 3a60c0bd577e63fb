#pragma once
// The unit families of Quantity. Every unit converts through its family's base
// unit (metre, radian, second, hertz, metre per second) by one constant factor.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace Zovudidova {

enum class FrequencyUnit : std::uint8_t { hertz, kilohertz, megahertz };
enum class AngleUnit : std::uint8_t { degrees, radians };
enum class DistanceUnit : std::uint8_t {
    microns,
    millimeters,
    centimeters,
    meters,
    kilometers,
    mils,
    inches,
    feet,
    yards,
    miles
};
enum class TimeUnit : std::uint8_t { nanoseconds, microseconds, milliseconds, seconds, minutes, hours };

namespace detail {
inline constexpr std::array<double, 3> frequencyFactors{1.0, 1000.0, 1000000.0};
inline constexpr std::array<double, 2> angleFactors{0.017453292519943295, 1.0};
inline constexpr std::array<double, 10> distanceFactors{1e-06, 0.001,  0.01,   1.0,    1000.0,
                                                        2.54e-05, 0.0254, 0.3048, 0.9144, 1609.344};
inline constexpr std::array<double, 6> timeFactors{1e-09, 1e-06, 0.001, 1.0, 60.0, 3600.0};

inline constexpr std::array<std::string_view, 3> frequencyNames{"hertz", "kilohertz", "megahertz"};
inline constexpr std::array<std::string_view, 2> angleNames{"degrees", "radians"};
inline constexpr std::array<std::string_view, 10> distanceNames{
    "microns", "millimeters", "centimeters", "meters", "kilometers",
    "mils",    "inches",      "feet",        "yards",  "miles"};
inline constexpr std::array<std::string_view, 6> timeNames{"nanoseconds", "microseconds", "milliseconds",
                                                           "seconds",     "minutes",      "hours"};
inline constexpr std::array<std::string_view, 6> timeSingularNames{"nanosecond", "microsecond", "millisecond",
                                                                   "second",     "minute",      "hour"};
} // namespace detail

constexpr double multiplierToBasis(FrequencyUnit u) { return detail::frequencyFactors[static_cast<std::size_t>(u)]; }
constexpr double multiplierToBasis(AngleUnit u) { return detail::angleFactors[static_cast<std::size_t>(u)]; }
constexpr double multiplierToBasis(DistanceUnit u) { return detail::distanceFactors[static_cast<std::size_t>(u)]; }
constexpr double multiplierToBasis(TimeUnit u) { return detail::timeFactors[static_cast<std::size_t>(u)]; }

constexpr std::string_view unitDescription(FrequencyUnit u) { return detail::frequencyNames[static_cast<std::size_t>(u)]; }
constexpr std::string_view unitDescription(AngleUnit u) { return detail::angleNames[static_cast<std::size_t>(u)]; }
constexpr std::string_view unitDescription(DistanceUnit u) { return detail::distanceNames[static_cast<std::size_t>(u)]; }
constexpr std::string_view unitDescription(TimeUnit u) { return detail::timeNames[static_cast<std::size_t>(u)]; }
constexpr std::string_view singularName(TimeUnit u) { return detail::timeSingularNames[static_cast<std::size_t>(u)]; }

// A distance unit over a time unit; its factor is the quotient of theirs.
struct VelocityUnit {
    DistanceUnit numerator;
    TimeUnit denominator;

    static const VelocityUnit metersPerSecond;
    static const VelocityUnit milesPerHour;
    static const VelocityUnit kilometersPerHour;

    friend constexpr bool operator==(VelocityUnit, VelocityUnit) = default;
};

inline constexpr VelocityUnit VelocityUnit::metersPerSecond{DistanceUnit::meters, TimeUnit::seconds};
inline constexpr VelocityUnit VelocityUnit::milesPerHour{DistanceUnit::miles, TimeUnit::hours};
inline constexpr VelocityUnit VelocityUnit::kilometersPerHour{DistanceUnit::kilometers, TimeUnit::hours};

constexpr double multiplierToBasis(VelocityUnit u) {
    return multiplierToBasis(u.numerator) / multiplierToBasis(u.denominator);
}

// The text of a velocity unit: "meters / second". Built on demand, so it is a string.
std::string velocityUnitDescription(VelocityUnit u);

// The two conversions every family offers, through its factor to the base unit.
template <typename U>
constexpr double convertToBasis(U unit, double value) {
    return multiplierToBasis(unit) * value;
}
template <typename U>
constexpr double convertFromBasis(U unit, double value) {
    return value / multiplierToBasis(unit);
}

} // namespace Zovudidova
