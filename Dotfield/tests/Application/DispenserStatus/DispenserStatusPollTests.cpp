// The dispenser status poll on the simulated instrument: the five points, the
// uncalibrated and calibrated ticks with the windows they drive (recording
// fakes in the window slots), a pulled electronics cable, and a status set-up
// that the electronics never answer.

#include <algorithm>
#include <mutex>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Application/DispenserStatus/DispenserStatusPollTick.hpp"
#include "Dotfield/Instrument/DispenserStatus/StatisticalSampling.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/Instrument/ImpedanceScan/DelayCalibrationTable.hpp"
#include "Dotfield/tests/Application/ForwardingBus.hpp"
#include "Dotfield/tests/Application/ShellFixture.hpp"
#include "adapterdriver/USB/BackendSelection.hpp"
#include "simulators/electronics/SimulatedDispenserState.hpp"

using namespace Dotfield;
using Simulators::SimulatedDispenserState;
using StatusKind = Simulators::SimulatedElectronics::Command::Kind;

namespace {

// What the poll told each window, in order.
struct WindowRecord {
    std::vector<DispenserStatusPoints> diagnosticsPoints;
    std::vector<DispenserStatusReading> diagnosticsReadings;
    std::vector<bool> manualControlsConnected;
    std::vector<bool> surfaceCantConnected;
    int reconnected = 0;
    int disconnected = 0;
    bool windowCallOffMainThread = false;
};

// A bus on which the original electronics never see their status set-up
// command ('S' and five points of five bytes): the write goes nowhere, so the
// electronics stay silent, while every other exchange passes.
class StatusSetUpSwallowingBus final : public ForwardingBus {
  public:
    using ForwardingBus::ForwardingBus;

    int bulkTransfer(adapterdriver::USBDeviceHandle& handle, unsigned char endpoint, unsigned char* data, int length,
                     int* transferred, unsigned int timeoutMilliseconds) override {
        constexpr int statusSetUpLength = 26;
        if ((endpoint & 0x80) == 0 && length == statusSetUpLength && data[0] == 'S') {
            *transferred = length;
            return 0;
        }
        return ForwardingBus::bulkTransfer(handle, endpoint, data, length, transferred, timeoutMilliseconds);
    }
};

std::vector<ImpedanceCalibrationValue> tableOf(std::size_t n) {
    std::vector<ImpedanceCalibrationValue> table;
    for (std::size_t i = 0; i < n; ++i) {
        table.push_back({Zovudidova::kilohertz(200.0 + static_cast<double>(i)), static_cast<std::uint8_t>(i)});
    }
    return table;
}

} // namespace

TEST(DispenserStatusPoints, DelayTableEntriesAtTheQuarters) {
    struct Case {
        std::size_t entries;
        std::array<std::uint8_t, 5> expected;
    };
    for (const auto& c : {Case{4, {0, 1, 2, 3, 3}}, Case{1, {0, 0, 0, 0, 0}}, Case{8, {0, 2, 4, 6, 7}},
                          Case{401, {0, 100, 200, 44, 144}}}) {
        const auto points = dispenserStatusPointsOfDelayTable(tableOf(c.entries));
        for (std::size_t i = 0; i < 5; ++i) {
            // The delay byte wraps at 256 in the 401-entry table; the frequency tells the index.
            EXPECT_EQ(points[i].delay, c.expected[i]) << c.entries << " entries, point " << i;
        }
    }
}

class DispenserStatusPollTests : public ShellFixture {
  protected:
    // Launches and puts the recording fakes into the poll's window slots.
    void launchWithWindows() {
        launch();
        delegate->pollWindows().update([this](DispenserStatusPollWindows& windows) {
            windows.updateWithNewReadings = [this](const DispenserStatusPoints& points,
                                                   const DispenserStatusReading& readings) {
                std::lock_guard lock(mutex);
                record.diagnosticsPoints.push_back(points);
                record.diagnosticsReadings.push_back(readings);
            };
            windows.manualControlsDispenserConnected = [this](bool connected) {
                noteMainThread();
                std::lock_guard lock(mutex);
                record.manualControlsConnected.push_back(connected);
            };
            windows.surfaceCantDispenserConnected = [this](bool connected) {
                std::lock_guard lock(mutex);
                record.surfaceCantConnected.push_back(connected);
            };
            windows.dispenserReconnected = [this] {
                noteMainThread();
                std::lock_guard lock(mutex);
                ++record.reconnected;
            };
            windows.dispenserDisconnected = [this] {
                noteMainThread();
                // As the calibration window does: the statistics go with the dispenser.
                delegate->electronics()->setDispenserStatistics(std::nullopt);
                std::lock_guard lock(mutex);
                ++record.disconnected;
            };
        });
    }

    void noteMainThread() {
        if (!MainQueue::main().isCurrent()) {
            std::lock_guard lock(mutex);
            record.windowCallOffMainThread = true;
        }
    }

    WindowRecord snapshot() {
        std::lock_guard lock(mutex);
        return record;
    }

    std::size_t statusReadings() const {
        const auto commands = electronicsPeer->commands();
        return static_cast<std::size_t>(std::count_if(commands.begin(), commands.end(), [](const auto& command) {
            return command.kind == StatusKind::statusReading;
        }));
    }

    // Waits, serving the main thread, for this many more status readings.
    bool waitForReadings(std::size_t more) {
        const std::size_t target = statusReadings() + more;
        return pumpUntil([&] { return statusReadings() >= target; });
    }

    bool reported(const std::string& text) const {
        return std::any_of(statusReports.begin(), statusReports.end(), [&](const auto& report) {
            return report.first == ShellDevice::dispenser && report.second == text;
        });
    }

    std::mutex mutex;
    WindowRecord record;
};

TEST_F(DispenserStatusPollTests, AnUncalibratedConnectedDispenserIsReportedOnEveryTick) {
    launchWithWindows();
    ASSERT_TRUE(pumpUntil([this] { return snapshot().reconnected >= 3; }));

    const auto seen = snapshot();
    EXPECT_FALSE(seen.windowCallOffMainThread);
    EXPECT_TRUE(seen.manualControlsConnected.empty()) << "the connected flags wait for statistics";
    EXPECT_EQ(seen.disconnected, 0);
    ASSERT_FALSE(seen.diagnosticsReadings.empty());
    EXPECT_GE(seen.diagnosticsReadings.size(), static_cast<std::size_t>(seen.reconnected) - 1);

    const auto expectedPoints = dispenserStatusPointsOfDelayTable(bundledDelayCalibrationTable());
    const auto peerDispenser = electronicsPeer->dispenser();
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(seen.diagnosticsPoints.back()[i], expectedPoints[i]);
        const double hertz = expectedPoints[i].frequency.value(Zovudidova::FrequencyUnit::hertz);
        EXPECT_NEAR(seen.diagnosticsReadings.back()[i].magnitude, peerDispenser.magnitudeAt(hertz),
                    0.02 * peerDispenser.magnitudeAt(hertz))
            << "point " << i;
    }
    EXPECT_TRUE(pumpUntil([this] { return reported("Dispenser: connected (not calibrated)"); }));
}

class DispenserStatusPollLoss : public DispenserStatusPollTests,
                                public ::testing::WithParamInterface<SimulatedDispenserState> {};

TEST_P(DispenserStatusPollLoss, WithStatisticsConnectedIsSentOnceAndALossOnce) {
    launchWithWindows();
    ASSERT_TRUE(waitForReadings(2));
    const auto electronics = delegate->electronics();
    const auto points = dispenserStatusPointsOfDelayTable(bundledDelayCalibrationTable());
    const auto statistics = performOnQueueSync(
        [&] { return performStatisticalSamplingOfImpedances(points, *electronics, {}); }, *electronics);
    electronics->setDispenserStatistics(statistics);

    ASSERT_TRUE(waitForReadings(5));
    auto seen = snapshot();
    EXPECT_EQ(seen.manualControlsConnected, std::vector<bool>{true});
    EXPECT_EQ(seen.surfaceCantConnected, std::vector<bool>{true});
    EXPECT_TRUE(reported("Dispenser: connected"));

    Simulators::setDispenserState(*electronicsPeer, GetParam());
    ASSERT_TRUE(pumpUntil([this] { return snapshot().disconnected >= 1; }));
    const int reconnectedAtLoss = snapshot().reconnected;
    ASSERT_TRUE(waitForReadings(4));
    seen = snapshot();
    EXPECT_EQ(seen.manualControlsConnected, (std::vector<bool>{true, false}));
    EXPECT_EQ(seen.surfaceCantConnected, (std::vector<bool>{true, false}));
    EXPECT_EQ(seen.disconnected, 1);
    EXPECT_EQ(seen.reconnected, reconnectedAtLoss) << "a lost dispenser is not reported as reconnected";
    EXPECT_FALSE(seen.windowCallOffMainThread);
    EXPECT_TRUE(reported(GetParam() == SimulatedDispenserState::shorted ? "Dispenser: short circuit"
                                                                         : "Dispenser: disconnected"));
}

INSTANTIATE_TEST_SUITE_P(OpenAndShorted, DispenserStatusPollLoss,
                         ::testing::Values(SimulatedDispenserState::disconnected, SimulatedDispenserState::shorted),
                         [](const auto& testCase) {
                             return testCase.param == SimulatedDispenserState::shorted ? "Shorted" : "Disconnected";
                         });

TEST_F(DispenserStatusPollTests, TicksResumeAfterTheElectronicsCableIsPutBack) {
    launchWithWindows();
    ASSERT_TRUE(pumpUntil([this] { return snapshot().diagnosticsReadings.size() >= 2; }));

    electronicsPeer->unplug();
    ASSERT_TRUE(pumpUntil([this] { return reported("Dispenser: electronics not answering"); }));
    const std::size_t readingsWhileAway = snapshot().diagnosticsReadings.size();
    electronicsPeer->plugBackIn();
    EXPECT_TRUE(pumpUntil([&] { return snapshot().diagnosticsReadings.size() >= readingsWhileAway + 3; }));
    EXPECT_TRUE(delegate->electronics()->serialPort()) << "the link was opened again";
}

TEST_F(DispenserStatusPollTests, AnUnansweredStatusSetUpGivesUpAfterThreeRounds) {
    ASSERT_TRUE(adapterdriver::setUSBBackend(
        std::make_shared<StatusSetUpSwallowingBus>(instrument->cabling().bus())));
    launch();
    // The set-up runs on the electronics queue: the main thread goes on serving.
    MainQueue::main().async([this] { statusReports.emplace_back(ShellDevice::relay, "main thread served"); });
    ASSERT_TRUE(pumpUntil([this] { return reported("Dispenser status unavailable"); }));
    EXPECT_TRUE(logged("Dispenser status unavailable"));

    const auto all = events();
    EXPECT_EQ(std::count_if(all.begin(), all.end(),
                            [](const std::string& event) {
                                return event.starts_with("console: Setting up the dispenser status check failed");
                            }),
              6);
    const auto served = std::find_if(statusReports.begin(), statusReports.end(),
                                     [](const auto& report) { return report.second == "main thread served"; });
    const auto gaveUp = std::find_if(statusReports.begin(), statusReports.end(), [](const auto& report) {
        return report.second == "Dispenser status unavailable";
    });
    EXPECT_LT(served, gaveUp) << "the main thread was served before the poll gave up";
    const std::size_t readings = statusReadings();
    EXPECT_EQ(readings, 0u) << "no poll runs";
}
