// Calibration runs of both generations on the simulated electronics: the full
// run through the button, the choice of frequency and points, the saved scan
// and statistics read back by a new calibration, stops, failures and refusals.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <future>
#include <sstream>
#include <thread>

#include "Dotfield/Calibration/DispenserCalibration/DispenserCalibrationError.hpp"
#include "Dotfield/Instrument/DispenserStatus/NoiseCalculationArrays.hpp"
#include "Dotfield/Instrument/Electronics/WaveformGenerator.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/tests/Calibration/DispenserCalibration/DispenserCalibrationFixture.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

namespace Dotfield::testing {
namespace {

using Command = Simulators::SimulatedElectronics::Command;
using Relay = Simulators::SimulatedElectronics::RelayPosition;

double kHz(const Zovudidova::Frequency& frequency) {
    return frequency.value(Zovudidova::FrequencyUnit::kilohertz);
}

// The points of the last status set-up the electronics accepted, in kHz.
std::vector<double> lastStatusSetupKilohertz(const Simulators::SimulatedElectronics& peer) {
    std::vector<double> kilohertz;
    for (const auto& command : peer.commands()) {
        if (command.kind == Command::Kind::statusSetup && !command.statusPoints.empty()) {
            kilohertz.clear();
            for (const auto& point : command.statusPoints) {
                kilohertz.push_back(point.frequencyHz / 1000.0);
            }
        }
    }
    return kilohertz;
}

std::size_t dataLines(const std::string& text) {
    std::istringstream lines(text);
    std::size_t count = 0;
    for (std::string line; std::getline(lines, line);) {
        count += !line.empty() && std::isdigit(static_cast<unsigned char>(line.front())) ? 1 : 0;
    }
    return count;
}

template <typename Error> std::optional<Error> errorOf(std::exception_ptr error) {
    try {
        std::rethrow_exception(std::move(error));
    } catch (const Error& e) {
        return e;
    } catch (...) {
        return std::nullopt;
    }
}

using DispenserCalibrationRun = DispenserCalibrationFixture;

TEST_P(DispenserCalibrationRun, ButtonCalibratesPlotsSavesAndALaterLaunchShowsItAgain) {
    calibrateFully();

    EXPECT_TRUE(errors().empty());
    // The scan arrived point by point, in order.
    ASSERT_EQ(display.appended.size(), 401u);
    for (std::size_t i = 0; i < display.appended.size(); ++i) {
        ASSERT_EQ(display.appended[i], i);
    }
    ASSERT_EQ(calibration->plotValues().size(), 401u);
    EXPECT_DOUBLE_EQ(kHz(calibration->plotValues().front().frequency), 200.0);
    EXPECT_DOUBLE_EQ(kHz(calibration->plotValues().back().frequency), 600.0);

    // The strongest pair resonates below 350 kHz, so the second (380 kHz) drives.
    EXPECT_NEAR(kHz(object->dispensingFrequency()), 380.0, 1.0);
    EXPECT_NEAR(kHz(object->sprayingFrequency()), 380.0, 1.0);
    EXPECT_NEAR(*store->doubleForKey("dispensingFrequency"), 380.0, 1.0);
    EXPECT_NEAR(*store->doubleForKey("sprayingFrequency"), 380.0, 1.0);

    // R1's midpoint and antiresonance, R2's, R3's midpoint.
    const auto points = lastStatusSetupKilohertz(*electronics);
    ASSERT_EQ(points.size(), 5u);
    const double expected[] = {384.0, 389.0, 253.0, 256.0, 485.0};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_NEAR(points[i], expected[i], 1.0) << "point " << i;
    }
    const auto statistics = object->dispenserStatistics();
    ASSERT_TRUE(statistics.has_value());
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_NEAR(kHz((*statistics)[i].measurementSettings.frequency), points[i], 0.01);
        EXPECT_GT((*statistics)[i].averageImpedanceMagnitude, 0.0);
    }

    ASSERT_FALSE(display.progress.empty());
    EXPECT_DOUBLE_EQ(display.progress.front(), 0.0);
    EXPECT_DOUBLE_EQ(display.progress.back(), 29.0 / 30.0);
    EXPECT_EQ(display.overlaysShown, 1);
    EXPECT_FALSE(display.overlayUp);
    EXPECT_FALSE(calibration->calibrationInProgress());
    EXPECT_EQ(calibration->statusText(), "Calibrated");
    EXPECT_EQ(dataLines(fileText(scanFile)), 401u);
    // The window was not opened by a reconnection, so it stays and no panel shows.
    EXPECT_EQ(display.windowClosed, 0);
    EXPECT_TRUE(display.panels.empty());

    // The next launch: a new calibration shows the same scan and statistics.
    object->setDispenserStatistics(std::nullopt);
    RecordingDisplay laterDisplay;
    auto later = makeCalibration();
    later->setDisplay(&laterDisplay);
    later->loadPreviousCalibration();
    mainThread.pump().runPending();
    ASSERT_EQ(later->plotValues().size(), 401u);
    for (std::size_t i = 0; i < 401; ++i) {
        EXPECT_DOUBLE_EQ(kHz(later->plotValues()[i].frequency), kHz(calibration->plotValues()[i].frequency));
        EXPECT_NEAR(later->plotValues()[i].magnitude, calibration->plotValues()[i].magnitude, 1e-6);
    }
    EXPECT_EQ(object->dispenserStatistics(), statistics);
    later->setDisplay(nullptr);
}

TEST_P(DispenserCalibrationRun, ResonantFrequencyObserverTakesTheFrequencyInsteadOfTheDriveSettings) {
    const auto before = object->dispensingFrequency();
    std::optional<double> observed;
    object->setResonantFrequencyObserver([&](const Zovudidova::Frequency& frequency) { observed = kHz(frequency); });
    calibrateFully();
    ASSERT_TRUE(observed.has_value());
    EXPECT_NEAR(*observed, 380.0, 1.0);
    EXPECT_EQ(object->dispensingFrequency(), before);
    EXPECT_FALSE(store->doubleForKey("dispensingFrequency").has_value());
}

TEST_P(DispenserCalibrationRun, TwoResonancesFallBackToTheDefaultFrequencyAndPoints) {
    electronics->setDispenser(dispenserWithResonancePairs(false));
    calibrateFully();
    EXPECT_TRUE(errors().empty());
    EXPECT_NEAR(kHz(object->dispensingFrequency()), 208.8, 1e-9);
    const auto statistics = object->dispenserStatistics();
    ASSERT_TRUE(statistics.has_value());
    const std::pair<double, int> expected[] = {{399.2, 3}, {449.1, 1}, {208.8, 1}, {548.9, 4}, {489.9, 4}};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_NEAR(kHz((*statistics)[i].measurementSettings.frequency), expected[i].first, 1e-9);
        EXPECT_EQ((*statistics)[i].measurementSettings.delay, expected[i].second);
    }
}

// A stop while the run waits for the queue ends it at its first scan point.
TEST_P(DispenserCalibrationRun, StopEndsQuietlyAndKeepsThePreviousCalibration) {
    for (const bool previousCalibration : {true, false}) {
        SCOPED_TRACE(previousCalibration ? "after an earlier calibration" : "without one");
        display = RecordingDisplay{};
        if (previousCalibration) {
            calibrateFully();
        } else {
            calibration->dispenserDisconnected();
            mainThread.pump().runPending();
        }
        const auto previousScan = calibration->plotValues();
        const auto previousStatistics = object->dispenserStatistics();
        const bool hadFile = std::filesystem::exists(scanFile);
        const std::string previousFile = hadFile ? fileText(scanFile) : "";
        // The generator left driving, to see it switched off.
        object->serialDispatchQueue().sync([&] {
            setElectronicsRelayState(ElectronicsRelayState::waveformGeneratorState, *port);
            setVoltage(10.0, *port);
        });
        display = RecordingDisplay{};

        std::promise<void> release;
        object->serialDispatchQueue().async([gate = release.get_future().share()] { gate.wait(); });
        calibration->calibrate();
        EXPECT_TRUE(calibration->calibrationInProgress());
        calibration->calibrate();
        EXPECT_FALSE(calibration->calibrationInProgress());
        release.set_value();
        waitForRunEnd();

        EXPECT_TRUE(errors().empty());
        EXPECT_EQ(display.appended.size(), 1u);
        EXPECT_EQ(display.overlaysShown, 0);
        EXPECT_EQ(object->dispenserStatistics(), previousStatistics);
        EXPECT_EQ(std::filesystem::exists(scanFile), hadFile);
        if (hadFile) {
            EXPECT_EQ(fileText(scanFile), previousFile);
            // The calibration in force is shown again.
            EXPECT_EQ(calibration->plotValues().size(), previousScan.size());
            EXPECT_EQ(calibration->statusText(), "Calibration stopped: the previous calibration stays");
        } else {
            EXPECT_EQ(calibration->plotValues().size(), 1u);
            EXPECT_EQ(calibration->statusText(), "Not calibrated: press Calibrate dispenser");
        }
        EXPECT_EQ(electronics->relay(), Relay::electronics);
        EXPECT_EQ(electronics->voltageCode(), 0);

        // The poll's reconnection calls start nothing now.
        const auto commandsBefore = electronics->commands().size();
        for (int tick = 0; tick < 3; ++tick) {
            calibration->dispenserReconnected();
        }
        mainThread.pump().runPending();
        EXPECT_FALSE(calibration->calibrationInProgress());
        EXPECT_TRUE(display.panels.empty());
        EXPECT_EQ(display.windowShown, 0);
        EXPECT_EQ(electronics->commands().size(), commandsBefore);
    }
}

TEST_P(DispenserCalibrationRun, ReconnectionCalibratesThenShowsTheCalibratedPanelAndClosesTheWindow) {
    calibration->dispenserReconnected();
    EXPECT_TRUE(calibration->calibrationInProgress());
    EXPECT_TRUE(calibration->shouldCloseWhenDoneWithCalibration());
    waitForRunEnd();
    EXPECT_TRUE(errors().empty());
    EXPECT_EQ(display.windowShown, 1);
    EXPECT_EQ(display.windowClosed, 1);
    EXPECT_EQ(display.panels, (std::vector{DispenserStatePanel::connected, DispenserStatePanel::calibrated}));
    EXPECT_FALSE(calibration->shouldCloseWhenDoneWithCalibration());
    EXPECT_TRUE(object->dispenserStatistics().has_value());
}

TEST_P(DispenserCalibrationRun, DisconnectionForgetsTheCalibration) {
    calibrateFully();
    ASSERT_TRUE(std::filesystem::exists(scanFile));
    ASSERT_TRUE(loadNoiseCalculationArrays(*store).has_value());

    calibration->dispenserDisconnected();
    mainThread.pump().runPending();

    EXPECT_FALSE(std::filesystem::exists(scanFile));
    for (const char* key : {"standardDeviationArray", "averageForNoiseCalculationArray",
                            "delaysForNoiseCalculationArray", "frequenciesForNoiseCalculationArray"}) {
        EXPECT_FALSE(store->object(key).has_value()) << key;
    }
    EXPECT_TRUE(calibration->plotValues().empty());
    EXPECT_FALSE(object->dispenserStatistics().has_value());
    EXPECT_EQ(display.panels, std::vector{DispenserStatePanel::disconnected});
    EXPECT_EQ(calibration->statusText(), "Not calibrated: press Calibrate dispenser");
}

INSTANTIATE_TEST_SUITE_P(BothGenerations, DispenserCalibrationRun,
                         ::testing::Values(Generation::originalDesign, Generation::redesign2016), generationName);

// Failures and refusals: one error to the handler, the flag down, the overlay
// gone, the previous calibration kept, and the button starts afresh.
using DispenserCalibrationFailure = DispenserCalibrationFixture;

TEST_P(DispenserCalibrationFailure, SilentPeerDuringSamplingReportsOnceAndANewPressRunsAfresh) {
    calibrateFully();
    const auto previousStatistics = object->dispenserStatistics();
    ASSERT_TRUE(previousStatistics.has_value());
    display = RecordingDisplay{};
    electronics->goSilent();

    calibration->runCalibration(false, true);
    waitForRunEnd();

    ASSERT_EQ(errors().size(), 1u);
    EXPECT_TRUE(errorOf<ElectronicsError>(errors().front()).has_value());
    EXPECT_EQ(display.overlaysShown, 1);
    EXPECT_FALSE(display.overlayUp);
    EXPECT_FALSE(calibration->calibrationInProgress());
    EXPECT_EQ(object->dispenserStatistics(), previousStatistics);
    EXPECT_EQ(calibration->statusText(), "Calibration failed: the previous calibration stays");

    electronics->speakAgain();
    display = RecordingDisplay{};
    calibrateFully();
    EXPECT_EQ(errors().size(), 1u);
    EXPECT_EQ(display.appended.size(), 401u);
    EXPECT_EQ(calibration->statusText(), "Calibrated");
}

// Wherever the scan is when the electronics are unplugged, the operator is
// told the electronics were lost (and offered the reconnection), never of an
// unexpected error.
TEST_P(DispenserCalibrationFailure, ElectronicsUnpluggedDuringTheScanAreReportedAsLost) {
    for (const std::size_t point : {std::size_t{0}, std::size_t{40}, std::size_t{150}}) {
        SCOPED_TRACE(point);
        const auto before = errors().size();
        display = RecordingDisplay{};
        display.onAppend = [&](std::size_t index) {
            if (index == point) {
                electronics->unplug();
            }
        };
        calibration->runCalibration(false, false);
        waitForRunEnd();
        ASSERT_EQ(errors().size(), before + 1);
        const auto error = errorOf<ElectronicsError>(errors().back());
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->kind(), ElectronicsErrorKind::electronicsDisconnected);
        EXPECT_FALSE(calibration->calibrationInProgress());

        electronics->plugBackIn();
        reopenPort(shortTiming());
        object->setSerialPort(port);
    }
}

TEST_P(DispenserCalibrationFailure, RunsThatCannotBeCarriedOutAreRefused) {
    struct Case {
        const char* name;
        bool samplingOnly;
        bool withPort;
        bool emptyTable;
        std::function<bool(std::exception_ptr)> expectedError;
    };
    const auto calibrationError = [](DispenserCalibrationErrorKind kind) {
        return [kind](std::exception_ptr e) {
            const auto error = errorOf<DispenserCalibrationError>(e);
            return error && error->kind() == kind;
        };
    };
    const Case cases[] = {
        {"no link", false, false, false,
         [](std::exception_ptr e) {
             const auto error = errorOf<ElectronicsError>(e);
             return error && error->kind() == ElectronicsErrorKind::electronicsDisconnected;
         }},
        {"sampling without statistics", true, true, false,
         calibrationError(DispenserCalibrationErrorKind::noDispenserStatistics)},
        {"a scan without measurements", false, true, true,
         calibrationError(DispenserCalibrationErrorKind::noImpedanceMeasurements)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.emptyTable && GetParam() == Generation::redesign2016) {
            continue; // the redesign sweeps without the table
        }
        const auto before = errors().size();
        display = RecordingDisplay{};
        object->setSerialPort(c.withPort ? port : nullptr);
        calibration = makeCalibration(c.emptyTable ? std::optional(std::vector<ImpedanceCalibrationValue>{})
                                                   : std::nullopt);
        calibration->runCalibration(false, c.samplingOnly);
        waitForRunEnd();
        ASSERT_EQ(errors().size(), before + 1);
        EXPECT_TRUE(c.expectedError(errors().back()));
        EXPECT_FALSE(calibration->calibrationInProgress());
        EXPECT_FALSE(display.overlayUp);
        EXPECT_FALSE(object->dispenserStatistics().has_value());
        EXPECT_GT(display.stateChanges, 0);
    }
    object->setSerialPort(port);
}

INSTANTIATE_TEST_SUITE_P(BothGenerations, DispenserCalibrationFailure,
                         ::testing::Values(Generation::originalDesign, Generation::redesign2016), generationName);

// The recalibration while printing: a synchronous sampling-only run from the
// positioner's thread, while the main thread goes on serving its events.
using DispenserRecalibration = DispenserCalibrationFixture;

TEST_P(DispenserRecalibration, SynchronousSamplingFromAnotherThreadReturnsWithTheStatisticsStored) {
    calibrateFully();
    const auto calibrated = object->dispenserStatistics();
    ASSERT_TRUE(calibrated.has_value());
    // The dispenser reads differently now, so fresh statistics show.
    electronics->setDispenser(Simulators::DispenserImpedanceModel::flat(500.0));
    display = RecordingDisplay{};

    // Half-way through the sampling the run waits until the main thread has
    // shown some of its progress: the main thread is not blocked by the run.
    std::atomic<bool> progressShown{false};
    std::atomic<bool> mainThreadServed{false};
    display.onProgress = [&] { progressShown = true; };
    std::atomic<int> readings{0};
    electronics->setDispenserHook([&](const Simulators::DispenserImpedanceModel& dispenser) {
        if (++readings == 15) {
            mainThreadServed = Dotfield::Testing::eventually([&] { return progressShown.load(); });
        }
        return dispenser;
    });
    std::atomic<bool> returned{false};
    std::optional<DispenserStatistics> seenOnReturn;
    std::thread positioner([&] {
        calibration->recalibrate(true);
        seenOnReturn = object->dispenserStatistics();
        returned = true;
    });
    ASSERT_TRUE(
        mainThread.pump().runUntil([&] { return returned.load(); }, Dotfield::Testing::eventuallyLimit));
    positioner.join();
    mainThread.pump().runPending();
    electronics->setDispenserHook(nullptr);

    EXPECT_TRUE(mainThreadServed);
    ASSERT_TRUE(seenOnReturn.has_value());
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ((*seenOnReturn)[i].measurementSettings, (*calibrated)[i].measurementSettings);
        EXPECT_NEAR((*seenOnReturn)[i].averageImpedanceMagnitude, 500.0, 5.0);
    }
    EXPECT_EQ(display.panels, std::vector{DispenserStatePanel::recalibrating});
    EXPECT_EQ(display.windowShown, 1);
    EXPECT_EQ(display.windowClosed, 1);
    EXPECT_FALSE(calibration->calibrationInProgress());
    EXPECT_TRUE(errors().empty());
}

INSTANTIATE_TEST_SUITE_P(BothGenerations, DispenserRecalibration,
                         ::testing::Values(Generation::originalDesign, Generation::redesign2016), generationName);

} // namespace
} // namespace Dotfield::testing
