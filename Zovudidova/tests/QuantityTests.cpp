#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "Zovudidova/Quantity.hpp"

using namespace Zovudidova;

namespace {

std::uint64_t bits(double d) {
    std::uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    return b;
}

} // namespace

TEST(Quantity, ConversionsGoThroughTheBaseUnit) {
    struct Case {
        double actual;
        double expected;
    };
    const Case cases[] = {
        {Distance(1, DistanceUnit::inches).value(DistanceUnit::mils), 999.9999999999999},
        {Distance(1, DistanceUnit::mils).value(DistanceUnit::inches), 0.001},
        {miles(1).value(DistanceUnit::feet), 5280.0},
        {Distance(1, DistanceUnit::yards).value(DistanceUnit::feet), 3.0},
        {milliseconds(1500).value(TimeUnit::seconds), 1.5},
        {degrees(90).value(AngleUnit::radians), 1.5707963267948966},
        {radians(M_PI).value(AngleUnit::degrees), 180.0},
        {sin(degrees(30)), 0.49999999999999994},
        {Velocity(1, VelocityUnit::milesPerHour).value(VelocityUnit::metersPerSecond), 0.44704},
        {Velocity(100, VelocityUnit::kilometersPerHour).value(VelocityUnit::milesPerHour), 62.1371192237334},
        {(meters(1) + millimeters(5)).value(DistanceUnit::meters), 1.005},
        {(millimeters(5) + meters(1)).value(DistanceUnit::millimeters), 1005.0},
        {kilohertz(1) / hertz(500), 2.0},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(cases[i].actual, cases[i].expected) << "case " << i;
    }
    EXPECT_EQ(multiplierToBasis(VelocityUnit::kilometersPerHour), 0.2777777777777778);
}

TEST(Quantity, OwnUnitReadBackIsBitExact) {
    const double payloadNaN = std::bit_cast<double>(0x7ff8000000000123ULL);
    for (double v : {payloadNaN, -0.0, 0.1, std::numeric_limits<double>::denorm_min()}) {
        const Distance d(v, DistanceUnit::mils);
        EXPECT_EQ(bits(d.value(DistanceUnit::mils)), bits(v));
        EXPECT_EQ(bits(d.converting(DistanceUnit::mils).value(DistanceUnit::mils)), bits(v));
        EXPECT_EQ(d.converting(DistanceUnit::mils).unit(), DistanceUnit::mils);
    }
}

TEST(Quantity, ComparisonsConvertTheOtherOperand) {
    EXPECT_TRUE(millimeters(1000) == meters(1));
    EXPECT_TRUE(meters(1) == millimeters(1000));
    EXPECT_TRUE(millimeters(999) < meters(1));
    EXPECT_TRUE(meters(1) > millimeters(999));
    EXPECT_FALSE(meters(1) != millimeters(1000));
    const Distance nan(std::nan(""), DistanceUnit::meters);
    EXPECT_FALSE(nan == nan);
    EXPECT_FALSE(nan < meters(1));
    // Derived from < only, so NaN on either side makes <= and >= true.
    EXPECT_TRUE(nan <= meters(1));
    EXPECT_TRUE(nan >= meters(1));
}

TEST(Quantity, ArithmeticKeepsTheLeftUnit) {
    EXPECT_EQ((meters(2) - millimeters(500)).unit(), DistanceUnit::meters);
    EXPECT_EQ((meters(2) - millimeters(500)).value(DistanceUnit::meters), 1.5);
    EXPECT_EQ((2.0 * seconds(3)).value(TimeUnit::seconds), 6.0);
    EXPECT_EQ((seconds(3) * 2.0).value(TimeUnit::seconds), 6.0);
    EXPECT_EQ((seconds(3) / 2.0).value(TimeUnit::seconds), 1.5);
    EXPECT_TRUE(std::isinf((seconds(3) / 0.0).value(TimeUnit::seconds)));

    const Distance negZero = abs(microns(-0.0));
    EXPECT_FALSE(std::signbit(negZero.value(DistanceUnit::microns)));
    EXPECT_TRUE(std::signbit((-microns(0.0)).value(DistanceUnit::microns)));
    EXPECT_EQ((-microns(0.0)).unit(), DistanceUnit::microns);
}

TEST(Quantity, VelocityAcrossFamilies) {
    const Velocity v = millimeters(10) / seconds(2);
    EXPECT_EQ(v.value(v.unit()), 5.0);
    EXPECT_EQ(v.unit(), (VelocityUnit{DistanceUnit::millimeters, TimeUnit::seconds}));

    const Distance d = (millimeters(5) / seconds(1)) * milliseconds(2000);
    EXPECT_EQ(d.unit(), DistanceUnit::millimeters);
    EXPECT_EQ(d.value(DistanceUnit::millimeters), 10.0);
}

TEST(Quantity, Descriptions) {
    EXPECT_EQ(microns(5).description(), "5.0 microns");
    EXPECT_EQ(seconds(std::nan("")).description(), "nan seconds");
    EXPECT_EQ(seconds(-std::nan("")).description(), "nan seconds");
    EXPECT_EQ(Distance(1e-06, DistanceUnit::meters).description(), "1e-06 meters");
    EXPECT_EQ(velocityUnitDescription(VelocityUnit::milesPerHour), "miles / hour");
    EXPECT_EQ(Velocity(2.5, VelocityUnit::metersPerSecond).description(), "2.5 meters / second");
    EXPECT_EQ(kilohertz(-std::numeric_limits<double>::infinity()).description(), "-inf kilohertz");
}

TEST(Quantity, SleepTakesATimeQuantity) {
    const auto start = std::chrono::steady_clock::now();
    Zovudidova::sleep(milliseconds(30));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
    Zovudidova::sleep(seconds(-1)); // returns at once
}

TEST(Quantity, SleepIntervalIsTheTimeInSecondsAndNeverOverflowsTheClock) {
    using namespace std::chrono_literals;
    EXPECT_EQ(sleepInterval(milliseconds(250)), 250ms);
    EXPECT_EQ(sleepInterval(minutes(2)), 120s);
    EXPECT_EQ(sleepInterval(Duration(3, TimeUnit::microseconds)), 3us);
    EXPECT_EQ(sleepInterval(seconds(-1)), 0ns);
    EXPECT_EQ(sleepInterval(seconds(std::nan(""))), 0ns);
    EXPECT_EQ(sleepInterval(hours(1e300)), std::chrono::nanoseconds::max());
    EXPECT_EQ(sleepInterval(seconds(std::numeric_limits<double>::infinity())),
              std::chrono::nanoseconds::max());
}

static_assert(sizeof(DistanceUnit) == 1 && sizeof(VelocityUnit) == 2);
static_assert(std::is_trivially_copyable_v<Distance> && sizeof(Distance) == 16);
