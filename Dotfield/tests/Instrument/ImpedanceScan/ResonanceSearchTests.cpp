#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "Dotfield/Instrument/ImpedanceScan/ResonanceSearch.hpp"

namespace Dotfield {
namespace {

using Zovudidova::FrequencyUnit;
using Zovudidova::kilohertz;

// A scan of the magnitudes at 200 kHz, 201 kHz, ...
std::vector<ImpedanceMeasurement> scanOf(const std::vector<double>& magnitudes) {
    std::vector<ImpedanceMeasurement> scan;
    for (std::size_t i = 0; i < magnitudes.size(); ++i) {
        scan.push_back({magnitudes[i], 0.0, {kilohertz(200.0 + static_cast<double>(i)), 1}});
    }
    return scan;
}

double kHz(const ImpedanceMeasurement& measurement) {
    return measurement.measurementSettings.frequency.value(FrequencyUnit::kilohertz);
}

ImpedanceResonance resonanceAt(double resonanceKilohertz, double strength) {
    const ImpedanceMeasurement point{100.0, 0.0, {kilohertz(resonanceKilohertz), 2}};
    return {point, point, point, strength};
}

TEST(ResonanceSearch, OneValleyAndPeakGiveOneResonance) {
    const auto scan = scanOf({5, 4, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1});
    const auto resonances = findResonances(scan);
    ASSERT_EQ(resonances.size(), 1u);
    EXPECT_EQ(resonances[0].resonance, scan[2]);
    EXPECT_EQ(resonances[0].antiresonance, scan[12]);
    EXPECT_EQ(resonances[0].midpoint, scan[7]);
    EXPECT_DOUBLE_EQ(resonances[0].strength, 10.0);
}

TEST(ResonanceSearch, SeveralResonancesComeInScanOrder) {
    // Two valleys (at 2 and 24) each followed by a confirmed peak (at 12 and 34).
    std::vector<double> magnitudes;
    for (int period = 0; period < 2; ++period) {
        for (double m : {5.0, 4.0, 3.0}) magnitudes.push_back(m);
        for (int k = 4; k <= 13 + period * 5; ++k) magnitudes.push_back(k);
        for (int k = 12 + period * 5; k >= 2; --k) magnitudes.push_back(k);
    }
    const auto resonances = findResonances(scanOf(magnitudes));
    ASSERT_EQ(resonances.size(), 2u);
    EXPECT_DOUBLE_EQ(resonances[0].strength, 10.0);
    EXPECT_DOUBLE_EQ(resonances[1].strength, 15.0);
    EXPECT_LT(kHz(resonances[0].antiresonance), kHz(resonances[1].resonance));
}

TEST(ResonanceSearch, ScansWithoutAValleyAndPeakHaveNone) {
    EXPECT_TRUE(findResonances(scanOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12})).empty());
    EXPECT_TRUE(findResonances(scanOf({7})).empty());
    EXPECT_TRUE(findResonances({}).empty());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(findResonances(scanOf({nan, nan, nan})).empty());
    // A damaged saved scan: the first magnitude falls below the initial 0.
    EXPECT_TRUE(findResonances(scanOf({-1, -2, -3, -4, -5, -6, -7, -8, -9, -10, -11})).empty());
}

TEST(ResonanceSelection, FewerThanThreeGiveTheDefaults) {
    const auto rising = findResonances(scanOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    const auto chosen = selectDispenserFrequencies(rising);
    // The status-check points the calibration takes from them: the first's
    // midpoint and antiresonance, the second's midpoint and antiresonance,
    // the third's midpoint.
    const std::vector<double> points{kHz(chosen[0].midpoint), kHz(chosen[0].antiresonance), kHz(chosen[1].midpoint),
                                     kHz(chosen[1].antiresonance), kHz(chosen[2].midpoint)};
    EXPECT_EQ(points, (std::vector<double>{399.2, 449.1, 208.8, 548.9, 489.9}));
    EXPECT_DOUBLE_EQ(kHz(chosen[0].resonance), 208.8);
    EXPECT_EQ(chosen[0].midpoint.measurementSettings.delay, 3);
    EXPECT_EQ(chosen[1].antiresonance.measurementSettings.delay, 4);
    for (const auto& resonance : chosen) {
        EXPECT_EQ(resonance.strength, 0.0);
        EXPECT_EQ(resonance.resonance.magnitude, 600.0);
    }

    const auto two = selectDispenserFrequencies({resonanceAt(400, 50), resonanceAt(450, 40)});
    EXPECT_DOUBLE_EQ(kHz(two[2].midpoint), 489.9);
}

TEST(ResonanceSelection, StrongestFirstUnlessItResonatesBelow350Kilohertz) {
    struct Case {
        std::vector<ImpedanceResonance> found;
        std::vector<double> expectedStrengths;
    };
    const std::vector<Case> cases{
        {{resonanceAt(300, 50), resonanceAt(400, 40), resonanceAt(500, 30)}, {40, 50, 30}},
        {{resonanceAt(500, 30), resonanceAt(300, 50), resonanceAt(400, 40)}, {40, 50, 30}},
        {{resonanceAt(350, 50), resonanceAt(400, 40), resonanceAt(500, 30)}, {50, 40, 30}},
        {{resonanceAt(420, 10), resonanceAt(360, 70), resonanceAt(210, 20), resonanceAt(560, 60)}, {70, 60, 20}},
        {{resonanceAt(420, std::nan("")), resonanceAt(360, 5), resonanceAt(210, 20), resonanceAt(560, 1)}, {5, 20, 1}},
    };
    for (const auto& c : cases) {
        const auto chosen = selectDispenserFrequencies(c.found);
        EXPECT_EQ((std::vector<double>{chosen[0].strength, chosen[1].strength, chosen[2].strength}),
                  c.expectedStrengths);
    }
}

TEST(ResonanceSelection, OrderingComparesStrength) {
    EXPECT_TRUE(resonanceStrengthDescending(resonanceAt(300, 5), resonanceAt(300, 4)));
    EXPECT_FALSE(resonanceStrengthDescending(resonanceAt(300, 4), resonanceAt(300, 5)));
    EXPECT_FALSE(resonanceStrengthDescending(resonanceAt(300, 4), resonanceAt(300, 4)));
    EXPECT_TRUE(resonanceStrengthDescending(resonanceAt(300, -1), resonanceAt(300, std::nan(""))));
}

} // namespace
} // namespace Dotfield
