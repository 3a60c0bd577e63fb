// The surface-cant calibration without its window, on the whole simulated
// instrument with the test robot model and a main thread that the test pumps:
// the refresh steps a run posts in order, the points it stores and fits, and
// a cancellation that returns to the start. The run's flags and points cross
// between the robot's queue and the main thread.

#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Calibration/SurfaceCant/SurfaceCantCalibration.hpp"
#include "Dotfield/Calibration/SurfaceCant/SurfaceCantSettings.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/tests/Support/SampledDispenser.hpp"
#include "Dotfield/tests/Support/SimulatedDropwrightFixture.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

namespace Dotfield::testing {
namespace {

using VeltranePatterns::Coordinate;

constexpr double xSlope = 0.004;
constexpr double ySlope = -0.003;

// What the calibration asked of its window, in order (state changes left out).
class RecordingDisplay final : public SurfaceCantCalibrationDisplay {
  public:
    void updatePlotSpaceBounds() override { events.emplace_back("bounds"); }
    void reloadGraph(SurfaceCantAxis axis) override {
        events.emplace_back(axis == SurfaceCantAxis::x ? "reload X" : "reload Y");
    }
    void slopesChanged() override { events.emplace_back("slopes"); }
    void manualPointChanged(ManualCalibrationPoint) override { events.emplace_back("manual point"); }
    void calibrationStateChanged() override {}

    std::vector<std::string> events;
};

class SurfaceCantCalibrationRun : public SimulatedDropwrightFixture {
  protected:
    const Coordinate start{20000.0, 30000.0, 3000.0 + xSlope * 20000.0 + ySlope * 30000.0 + 250.0};

    SurfaceCantCalibrationRun() {
        options.surface = Simulators::SimulatedSurface::plane(3000.0, xSlope, ySlope);
        options.start = Simulators::WorldPoint{start.x, start.y, 20000.0};
    }
    void SetUp() override {
        SimulatedDropwrightFixture::SetUp();
        connectRobot();
        instrument->electronics()->setMeasurementNoise(2.0, 0.002, 11);
        electronics = makeElectronicsWithSampledDispenser(store, pollClock, openPort(properties(SerialPortType::electronics)));
        performOnQueueSync([this] { robot->moveToPosition(start); }, *robot);

        calibration = SurfaceCantCalibration::create(store);
        calibration->setDisplay(&display);
        calibration->setRobot(robot);
        calibration->observeRobotReadiness();
        calibration->setElectronics(electronics);
        calibration->setRecalibrationOperationForSurfaceFinding([] {});
        calibration->setErrorHandler([this](std::exception_ptr error) {
            std::lock_guard lock(errorsMutex);
            errors.push_back(error);
        });
        calibration->setDispenserConnected(true);
        robot->notifyMovementFinished();
    }
    void TearDown() override {
        calibration->setDisplay(nullptr);
        calibration.reset();
        electronics.reset();
        SimulatedDropwrightFixture::TearDown();
    }

    void runToTheEnd() {
        ASSERT_TRUE(mainThread.pump().runUntil([this] { return !calibration->isCalibrationInProcess(); },
                                               Dotfield::Testing::eventuallyLimit));
        performOnQueueSync([] {}, *robot);
        mainThread.pump().runPending();
    }
    std::size_t errorCount() {
        std::lock_guard lock(errorsMutex);
        return errors.size();
    }

    std::shared_ptr<ManualClock> pollClock = std::make_shared<ManualClock>();
    std::shared_ptr<Electronics> electronics;
    RecordingDisplay display;
    std::shared_ptr<SurfaceCantCalibration> calibration;
    std::mutex errorsMutex;
    std::vector<std::exception_ptr> errors;
};

TEST_F(SurfaceCantCalibrationRun, PostsItsRefreshStepsInOrderAndStoresTheFit) {
    calibration->setDistanceToCalibrateInX(8000.0);
    calibration->setDistanceToCalibrateInY(-8000.0);
    ASSERT_TRUE(calibration->canStartOrStop());
    calibration->startOrStopSurfaceCantCalibration();
    EXPECT_EQ(calibration->calibrateButtonTitle(), "Cancel");
    EXPECT_TRUE(calibration->robotReadyToMove());
    EXPECT_FALSE(calibration->canSetManualPosition());
    runToTheEnd();

    EXPECT_EQ(errorCount(), 0u);
    EXPECT_EQ(calibration->calibrateButtonTitle(), "Calibrate surface cant");
    EXPECT_TRUE(calibration->robotReadyToMove());
    const std::vector<std::string> expected{
        "bounds",   "reload X", "reload Y",                           // the start: both graphs emptied
        "reload X", "reload Y",                                       // the shared first point
        "reload X", "reload X", "reload X", "reload X",               // along X
        "reload Y", "reload Y", "reload Y", "reload Y",               // along Y
        "slopes",   "reload X", "reload Y",                           // saved and fitted
    };
    EXPECT_EQ(display.events, expected);

    const auto& pointsForX = calibration->calibratedPointsForX();
    const auto& pointsForY = calibration->calibratedPointsForY();
    ASSERT_EQ(pointsForX.size(), 5u);
    ASSERT_EQ(pointsForY.size(), 5u);
    // A negative length measures in the negative direction.
    EXPECT_NEAR(pointsForX.back().x - start.x, 8000.0, 1.0);
    EXPECT_NEAR(pointsForY.back().y - start.y, -8000.0, 1.0);
    EXPECT_EQ(store->coordinateArray(savedCalibrationPointsForXKey), pointsForX);
    EXPECT_EQ(store->coordinateArray(savedCalibrationPointsForYKey), pointsForY);
    const double tolerance = 1.5 * robot->surfaceRetractionStepSize() / 8000.0;
    EXPECT_NEAR(calibration->surfaceCant().xSlope, xSlope, tolerance);
    EXPECT_NEAR(calibration->surfaceCant().ySlope, ySlope, tolerance);
    EXPECT_EQ(calibration->slopeLinePointsForX().size(), 2u);
    // 250 µm above the surface: the reference is the start itself.
    EXPECT_TRUE(robot->currentCoordinate().matchesWithinTolerance(start, 1.0))
        << robot->currentCoordinate().description();
}

TEST_F(SurfaceCantCalibrationRun, ACancelEndsAtTheStartKeepingNoFurtherPoint) {
    // The robot's queue holds on its way to the second point along X until
    // the main thread has asked the run to stop: the request is seen at the
    // check after that move, before a second point is searched for.
    std::mutex mutex;
    std::condition_variable stopped;
    bool stopRequested = false;
    std::atomic<bool> underWay{false};
    robot->setCoordinateUpdateObserver([&](const Coordinate& position) {
        if (position.x > start.x + 5000.0 - 1.0 && !underWay.exchange(true)) {
            std::unique_lock lock(mutex);
            stopped.wait(lock, [&] { return stopRequested; });
        }
    });
    calibration->startOrStopSurfaceCantCalibration();
    ASSERT_TRUE(mainThread.pump().runUntil([&] { return underWay.load(); }, Dotfield::Testing::eventuallyLimit));
    calibration->startOrStopSurfaceCantCalibration();
    EXPECT_EQ(calibration->calibrateButtonTitle(), "Calibrate surface cant");
    // Asking again only repeats the request.
    calibration->startOrStopSurfaceCantCalibration();
    EXPECT_TRUE(calibration->isCalibrationInProcess());
    {
        std::lock_guard lock(mutex);
        stopRequested = true;
    }
    stopped.notify_all();
    runToTheEnd();
    robot->setCoordinateUpdateObserver(nullptr);

    EXPECT_EQ(errorCount(), 0u);
    EXPECT_FALSE(calibration->hasCalibrationBeenCancelled());
    EXPECT_EQ(calibration->calibrateButtonTitle(), "Calibrate surface cant");
    EXPECT_EQ(calibration->calibratedPointsForX().size(), 2u);
    EXPECT_EQ(calibration->calibratedPointsForY().size(), 1u);
    EXPECT_TRUE(calibration->slopeLinePointsForX().empty());
    EXPECT_FALSE(store->coordinateArray(savedCalibrationPointsForXKey).has_value());
    EXPECT_EQ(calibration->surfaceCant(), SurfaceCant{});
    EXPECT_TRUE(robot->currentCoordinate().matchesWithinTolerance(start, 1.0))
        << robot->currentCoordinate().description();
}

} // namespace
} // namespace Dotfield::testing
