#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <thread>

#include "Dotfield/Calibration/Diagnostics/DispenserDiagnosticsHistory.hpp"

namespace Dotfield {
namespace {

// Point k: average + k, the deviation, at 200 + 100 k kHz.
DispenserStatistics statistics(double average, double deviation) {
    const auto point = [&](int k) {
        return StatisticalImpedanceMeasurement{average + k, deviation, {Zovudidova::kilohertz(200.0 + 100.0 * k), 1}};
    };
    return {point(0), point(1), point(2), point(3), point(4)};
}

DispenserStatusReading reading(double magnitude) {
    DispenserStatusReading result{};
    for (std::size_t i = 0; i < result.size(); ++i) {
        result[i] = {magnitude + static_cast<double>(i), 0.25};
    }
    return result;
}

TEST(DispenserDiagnosticsHistoryTest, KeepsTheNewest200SamplesOldestFirst) {
    DispenserDiagnosticsHistory history;
    for (int i = 0; i < 250; ++i) {
        history.update(reading(i), statistics(0.0, 1.0));
    }
    const auto snapshot = history.snapshot();
    ASSERT_EQ(snapshot.samples.size(), 200U);
    EXPECT_EQ(snapshot.samples.front()[0].magnitude, 50.0);
    EXPECT_EQ(snapshot.samples.back()[0].magnitude, 249.0);
    EXPECT_EQ(snapshot.sensorSignal().size(), 200U);
}

TEST(DispenserDiagnosticsHistoryTest, NewStatisticsChangeTheSignalOfEverySample) {
    DispenserDiagnosticsHistory history;
    history.update(reading(500.0), statistics(500.0, 1.0));
    history.update(reading(500.0), statistics(500.0, 1.0));
    for (const double signal : history.snapshot().sensorSignal()) {
        EXPECT_EQ(signal, 0.0);
    }
    // The same readings, far from the new averages.
    history.update(reading(500.0), statistics(100.0, 1.0));
    for (const double signal : history.snapshot().sensorSignal()) {
        EXPECT_NEAR(signal, 1.0, 1e-12);
    }
}

TEST(DispenserDiagnosticsHistoryTest, TableRowsGiveThePointsStatisticsAndDeviationBar) {
    DispenserDiagnosticsHistory history;
    EXPECT_EQ(history.snapshot().row(2).currentValue, 0.0);

    // Point 1 at its average, point 2 15 x sqrt 2 standard deviations away.
    const double sd = 2.0;
    DispenserStatusReading newest = reading(600.0);
    newest[1].magnitude = 601.0 + 15.0 * std::numbers::sqrt2 * sd;
    history.update(reading(0.0), statistics(600.0, sd));
    history.update(newest, statistics(600.0, sd));
    const auto snapshot = history.snapshot();

    struct Expected {
        std::size_t row;
        double frequency;
        double current;
        double bar;
    };
    for (const Expected& e : {Expected{0, 200.0, 600.0, 0.0}, Expected{1, 300.0, newest[1].magnitude, 16.854}}) {
        const auto row = snapshot.row(e.row);
        EXPECT_EQ(row.point, static_cast<int>(e.row) + 1);
        EXPECT_DOUBLE_EQ(*row.frequencyInKilohertz, e.frequency);
        EXPECT_EQ(*row.averageImpedanceMagnitude, 600.0 + static_cast<double>(e.row));
        EXPECT_EQ(*row.standardDeviation, sd);
        EXPECT_EQ(row.currentValue, e.current);
        EXPECT_NEAR(*row.valueGraph, e.bar, 1e-3);
    }
    EXPECT_NEAR(*snapshot.row(1).valueGraph, 20.0 * std::erf(1.0), 1e-12);
}

TEST(DispenserDiagnosticsHistoryTest, WithoutStatisticsThereIsNoCurveAndNoStatisticsCells) {
    DispenserDiagnosticsHistory history;
    history.update(reading(700.0), std::nullopt);
    const auto snapshot = history.snapshot();
    EXPECT_TRUE(snapshot.sensorSignal().empty());
    const auto row = snapshot.row(0);
    EXPECT_EQ(row.currentValue, 700.0);
    EXPECT_FALSE(row.frequencyInKilohertz);
    EXPECT_FALSE(row.averageImpedanceMagnitude);
    EXPECT_FALSE(row.standardDeviation);
    EXPECT_FALSE(row.valueGraph);
}

TEST(DispenserDiagnosticsHistoryTest, AZeroStandardDeviationGivesABarOf0Or20NeverNaN) {
    DispenserDiagnosticsHistory history;
    DispenserStatusReading newest = reading(300.0);
    newest[1].magnitude = 999.0;
    history.update(newest, statistics(300.0, 0.0));
    const auto snapshot = history.snapshot();
    EXPECT_EQ(*snapshot.row(0).valueGraph, 0.0);
    EXPECT_EQ(*snapshot.row(1).valueGraph, 20.0);
    EXPECT_EQ(snapshot.sensorSignal().front(), 1.0);
}

TEST(DispenserDiagnosticsHistoryTest, GrantsOneRefreshUntilItHasStarted) {
    DispenserDiagnosticsHistory history;
    EXPECT_TRUE(history.claimRefresh());
    EXPECT_FALSE(history.claimRefresh());
    history.refreshStarted();
    EXPECT_TRUE(history.claimRefresh());
}

// The poll writes while the main thread reads snapshots.
TEST(DispenserDiagnosticsHistoryConcurrencyTest, SnapshotsAreWholeWhileThePollWrites) {
    DispenserDiagnosticsHistory history;
    std::thread poll([&] {
        for (int i = 0; i < 2000; ++i) {
            history.update(reading(i), statistics(i, 1.0));
        }
    });
    for (int i = 0; i < 500; ++i) {
        const auto snapshot = history.snapshot();
        EXPECT_LE(snapshot.samples.size(), DispenserDiagnosticsHistory::capacity);
        if (!snapshot.samples.empty()) {
            // The statistics came with the newest sample.
            EXPECT_EQ(snapshot.statistics->front().averageImpedanceMagnitude, snapshot.samples.back()[0].magnitude);
        }
    }
    poll.join();
}

} // namespace
} // namespace Dotfield
