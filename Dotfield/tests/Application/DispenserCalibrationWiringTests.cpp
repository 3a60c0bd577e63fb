// The dispenser calibration in the launched application: the status poll
// starts it for a connected, uncalibrated dispenser, and the recalibration
// before printing resamples the stored points from the positioner's thread.

#include <atomic>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "Dotfield/Calibration/DispenserCalibration/DispenserCalibration.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/tests/Application/ShellFixture.hpp"
#include "Dotfield/tests/Support/TestFiles.hpp"

using namespace Dotfield;

namespace {

class DispenserCalibrationWiring : public ShellFixture {};

TEST_F(DispenserCalibrationWiring, ThePollCalibratesAConnectedDispenserAndPrintingResamplesIt) {
    const auto scanFile = Dotfield::testing::freshTestFolder("shell") / "dispenserstatus.scn";
    const auto calibration = DispenserCalibration::create({settings, std::nullopt, [scanFile] { return scanFile; }});
    delegate = makeDelegate();
    delegate->setDispenserCalibration(calibration);
    delegate->applicationDidFinishLaunching();
    EXPECT_EQ(calibration->electronics(), delegate->electronics());

    ASSERT_TRUE(pumpUntil([&] {
        return delegate->electronics()->dispenserStatistics().has_value() && !calibration->calibrationInProgress();
    }));
    EXPECT_TRUE(std::filesystem::exists(scanFile));
    EXPECT_EQ(calibration->plotValues().size(), 401u);
    const auto calibrated = delegate->electronics()->dispenserStatistics();

    std::atomic<bool> returned{false};
    std::thread positioner([&] {
        delegate->recalibrationOperationForSurfaceFindingDuringPatternPrinting();
        returned = true;
    });
    ASSERT_TRUE(pumpUntil([&] { return returned.load(); }));
    positioner.join();
    const auto resampled = delegate->electronics()->dispenserStatistics();
    ASSERT_TRUE(resampled.has_value());
    for (std::size_t i = 0; i < dispenserStatusPointCount; ++i) {
        EXPECT_EQ((*resampled)[i].measurementSettings, (*calibrated)[i].measurementSettings);
    }
    EXPECT_FALSE(calibration->calibrationInProgress());
    EXPECT_TRUE(alerts->shownAlerts().empty());
}

} // namespace
