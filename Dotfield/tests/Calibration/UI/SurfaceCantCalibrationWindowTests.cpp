// The surface-cant calibration window through its widgets, offscreen, on the
// simulated DropwrightIIb over a surface tilted by +0.004 along X and -0.003
// along Y: automatic runs, cancelling, a positioner that falls silent, the
// manual three-point calibration, the graphs' axes and the hand-over of the
// cant to printing.

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <cmath>
#include <mutex>
#include <string>
#include <vector>

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>

#include <gtest/gtest.h>

#include "Dotfield/Platform/Qt/Widgets/DeviceWindowNumbers.hpp"
#include "Dotfield/Calibration/SurfaceCant/SurfaceCantFit.hpp"
#include "Dotfield/Calibration/SurfaceCant/SurfaceCantSettings.hpp"
#include "Dotfield/Calibration/UI/SurfaceCantCalibrationWindowController.hpp"
#include "Dotfield/Calibration/UI/SurfaceCantGraph.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/tests/Support/SimulatedIIbWindowFixture.hpp"
#include "Dotfield/tests/Support/SampledDispenser.hpp"

namespace Dotfield::testing {
namespace {

using VeltranePatterns::Coordinate;

// µm per SmartMotor count of the IIb: positions read back to within this.
constexpr double countResolution = 2.5;
constexpr double xSlope = 0.004;
constexpr double ySlope = -0.003;
constexpr double surfaceAtOrigin = 3000.0;

double surfaceAt(double x, double y) {
    return surfaceAtOrigin + xSlope * x + ySlope * y;
}

class SurfaceCantWindow : public SimulatedIIbWindowFixture {
  protected:
    // The run starts 50 µm above the surface.
    static constexpr double startX = 50000.0;
    static constexpr double startY = 40000.0;
    const Coordinate start{startX, startY, surfaceAt(startX, startY) + 50.0};

    SurfaceCantWindow() {
        options.surface = Simulators::SimulatedSurface::plane(surfaceAtOrigin, xSlope, ySlope);
        // High above the surface while the electronics' reference is sampled.
        options.start = Simulators::WorldPoint{startX, startY, 20000.0};
    }
    void SetUp() override {
        SimulatedIIbWindowFixture::SetUp();
        connectRobot();
        instrument->electronics()->setMeasurementNoise(2.0, 0.002, 11);
        electronics = makeElectronicsWithSampledDispenser(store, pollClock, openPort(properties(SerialPortType::electronics)));
        moveTo(start);
        robot->setCoordinateUpdateObserver([this](const Coordinate& position) {
            {
                std::lock_guard lock(reportedMutex);
                reported.push_back(position);
            }
            if (onReport) {
                onReport(position);
            }
        });
    }
    void TearDown() override {
        bus->speakAgain();
        if (robot) {
            waitForRobotQueue();
        }
        controller.reset();
        electronics.reset();
        SimulatedIIbWindowFixture::TearDown();
    }

    // The controller as the shell wires it, with its window shown.
    void makeController() {
        controller = std::make_unique<SurfaceCantCalibrationWindowController>(store);
        controller->setErrorHandler(errorHandler());
        controller->setRobot(robot);
        controller->observeRobotReadiness();
        controller->setElectronics(electronics);
        controller->setDispenserConnected(true);
        controller->setRecalibrationOperationForSurfaceFinding([this] { ++recalibrations; });
        controller->showWindow();
        robot->notifyMovementFinished();
        ASSERT_TRUE(waitUntil([this] { return controller->calibrateButton()->isEnabled(); }));
    }

    void moveTo(const Coordinate& target) {
        robot->serialDispatchQueue().sync([&] { robot->moveToPosition(target); });
    }
    // Starts a run and waits for its end.
    void calibrate() {
        click(controller->calibrateButton());
        EXPECT_EQ(controller->calibrateButton()->text().toStdString(), "Cancel");
        waitForIdle();
    }
    void waitForIdle() {
        ASSERT_TRUE(waitUntil([this] { return !controller->calibration().isCalibrationInProcess(); }));
        waitForRobotQueue();
    }
    void showManualControls() {
        if (!controller->isManualControlViewVisible()) {
            click(controller->manualControlsButton());
        }
    }
    std::vector<Coordinate> reportedPositions() {
        std::lock_guard lock(reportedMutex);
        return reported;
    }
    std::string text(const QLabel* label) const { return label->text().toStdString(); }
    Coordinate robotPosition() const { return robot->currentCoordinate(); }
    static Coordinate at(const Simulators::WorldPoint& point) { return {point.x, point.y, point.z}; }

    std::shared_ptr<ManualClock> pollClock = std::make_shared<ManualClock>();
    std::shared_ptr<Electronics> electronics;
    std::unique_ptr<SurfaceCantCalibrationWindowController> controller;
    int recalibrations = 0;
    std::mutex reportedMutex;
    std::vector<Coordinate> reported;
    // Called on the robot's queue with every position reported; set it before
    // the robot work it watches is queued.
    std::function<void(const Coordinate&)> onReport;
};

// The slope of a fit is within 1.5 retraction steps over the line's length.
double slopeTolerance(const Robot& robot, double distance) {
    return 1.5 * robot.surfaceRetractionStepSize() / distance;
}

TEST_F(SurfaceCantWindow, CalibrateMeasuresFivePointsPerAxisAndFitsTheTilt) {
    makeController();
    EXPECT_EQ(text(controller->labelForXSlope()), "X slope: 0.0");
    calibrate();
    EXPECT_TRUE(errors().empty());
    EXPECT_EQ(recalibrations, 0);
    EXPECT_EQ(controller->calibrateButton()->text().toStdString(), "Calibrate surface cant");

    const auto& pointsForX = controller->calibration().calibratedPointsForX();
    const auto& pointsForY = controller->calibration().calibratedPointsForY();
    ASSERT_EQ(pointsForX.size(), 5u);
    ASSERT_EQ(pointsForY.size(), 5u);
    EXPECT_EQ(pointsForX.front(), pointsForY.front());
    for (std::size_t i = 0; i < 5; ++i) {
        const double along = 2500.0 * static_cast<double>(i);
        EXPECT_NEAR(pointsForX[i].x, startX + along, countResolution) << i;
        EXPECT_NEAR(pointsForX[i].y, startY, countResolution) << i;
        EXPECT_NEAR(pointsForY[i].x, startX, countResolution) << i;
        EXPECT_NEAR(pointsForY[i].y, startY + along, countResolution) << i;
        // Stepped off: within one retraction step above the surface.
        for (const Coordinate& point : {pointsForX[i], pointsForY[i]}) {
            const double height = surfaceAt(point.x, point.y);
            EXPECT_GE(point.z, height - countResolution) << i;
            EXPECT_LE(point.z, height + robot->surfaceRetractionStepSize() + countResolution) << i;
        }
    }

    const SurfaceCant cant = controller->surfaceCant();
    EXPECT_NEAR(cant.xSlope, xSlope, slopeTolerance(*robot, 10000.0));
    EXPECT_NEAR(cant.ySlope, ySlope, slopeTolerance(*robot, 10000.0));
    EXPECT_EQ(text(controller->labelForXSlope()), xSlopeLabelText(cant.xSlope));
    EXPECT_EQ(text(controller->labelForYSlope()), ySlopeLabelText(cant.ySlope));
    EXPECT_EQ(store->coordinateArray(savedCalibrationPointsForXKey), pointsForX);
    EXPECT_EQ(store->coordinateArray(savedCalibrationPointsForYKey), pointsForY);

    // Each graph: five symbols from the origin to the line's length, and the fitted line.
    for (SurfaceCantGraph* graph : {controller->graphForXSlope(), controller->graphForYSlope()}) {
        const QList<QPointF> symbols = graph->pointsSeries()->points();
        ASSERT_EQ(symbols.size(), 5);
        EXPECT_EQ(symbols.front(), QPointF(0.0, 0.0));
        EXPECT_NEAR(symbols.back().x(), 10000.0, countResolution);
        ASSERT_EQ(graph->lineSeries()->count(), 2);
        EXPECT_NEAR(graph->lineSeries()->at(1).x(), symbols.back().x(), 1e-9);
    }

    // Started 50 µm above the surface: every move of the run went 100 µm higher, and it ends there.
    const Coordinate reference = start.coordinateByIncreasingHeight(100.0);
    EXPECT_TRUE(robotPosition().matchesWithinTolerance(reference, countResolution)) << robotPosition().description();
    EXPECT_TRUE(at(world->tipPosition()).matchesWithinTolerance(reference, countResolution));
    double highest = 0.0;
    for (const Coordinate& position : reportedPositions()) {
        highest = std::max(highest, position.z);
    }
    EXPECT_NEAR(highest, reference.z, countResolution);

    showManualControls();
    EXPECT_GT(saveScreenshot(*controller->window(), "SurfaceCantCalibrationWindow", *controller->labelForYSlope()), 0);

    // Clearing the manual points keeps a measured calibration.
    click(controller->clearManualPointsButton());
    EXPECT_EQ(controller->calibration().calibratedPointsForX().size(), 5u);
    EXPECT_EQ(controller->surfaceCant(), cant);
    EXPECT_EQ(store->coordinateArray(savedCalibrationPointsForXKey)->size(), 5u);

    // The shell reads the cant of a new controller over the same settings
    // before its window ever loads: the same slopes the window then shows.
    SurfaceCantCalibrationWindowController relaunched(store);
    const SurfaceCant handedOver = relaunched.surfaceCant();
    EXPECT_EQ(handedOver, cant);
    relaunched.showWindow();
    EXPECT_EQ(text(relaunched.labelForXSlope()), xSlopeLabelText(handedOver.xSlope));
    EXPECT_EQ(text(relaunched.labelForYSlope()), ySlopeLabelText(handedOver.ySlope));
    EXPECT_EQ(relaunched.graphForYSlope()->pointsSeries()->count(), 5);
}

// A calibration stored before (manual points of a gentler tilt) that a
// cancelled run must leave alone.
class SurfaceCantWindowWithAPreviousCalibration : public SurfaceCantWindow {
  protected:
    SurfaceCantWindowWithAPreviousCalibration() {
        store->setCoordinates(previousX, savedCalibrationPointsForXKey);
        store->setCoordinates(previousY, savedCalibrationPointsForYKey);
    }
    const std::vector<Coordinate> previousX{{0, 0, 100}, {1000, 0, 101}};
    const std::vector<Coordinate> previousY{{0, 0, 100}, {0, 1000, 102}};
};

TEST_F(SurfaceCantWindowWithAPreviousCalibration, CancelReturnsToTheStartAndKeepsThePreviousCalibration) {
    makeController();
    const SurfaceCant previous{0.001, 0.002};
    EXPECT_EQ(controller->surfaceCant(), previous);
    const std::string previousXLabel = text(controller->labelForXSlope());

    // The robot's queue holds at the first step of the search for the second
    // point along X until the operator has pressed Cancel.
    std::mutex mutex;
    std::condition_variable pressed;
    std::atomic<bool> searching{false};
    bool cancelPressed = false;
    const double reference = start.z + 100.0;
    onReport = [&](const Coordinate& position) {
        if (position.x > startX + 5000.0 - countResolution && position.z < reference - 5.0 &&
            !searching.exchange(true)) {
            std::unique_lock lock(mutex);
            pressed.wait(lock, [&] { return cancelPressed; });
        }
    };
    click(controller->calibrateButton());
    // The window's own run keeps it ready: Cancel stays usable.
    EXPECT_TRUE(controller->robotReadyToMove());
    ASSERT_TRUE(waitUntil([&] { return searching.load(); }));
    EXPECT_TRUE(controller->robotReadyToMove());
    click(controller->calibrateButton());
    {
        std::lock_guard lock(mutex);
        cancelPressed = true;
    }
    pressed.notify_all();
    EXPECT_EQ(controller->calibrateButton()->text().toStdString(), "Calibrate surface cant");
    EXPECT_TRUE(controller->calibration().hasCalibrationBeenCancelled());
    waitForIdle();

    EXPECT_TRUE(errors().empty());
    EXPECT_EQ(controller->calibrateButton()->text().toStdString(), "Calibrate surface cant");
    EXPECT_FALSE(controller->calibration().hasCalibrationBeenCancelled());
    // The search under way when Cancel came went on to the surface, and its
    // point is dropped; nothing was measured along Y.
    EXPECT_EQ(controller->calibration().calibratedPointsForX().size(), 2u);
    EXPECT_EQ(controller->calibration().calibratedPointsForY().size(), 1u);
    EXPECT_TRUE(controller->calibration().slopeLinePointsForX().empty());
    EXPECT_EQ(controller->graphForXSlope()->pointsSeries()->count(), 2);
    const auto reported = reportedPositions();
    EXPECT_TRUE(std::any_of(reported.begin(), reported.end(), [this](const Coordinate& position) {
        return position.x > startX + 5000.0 - countResolution &&
               position.z <= surfaceAt(position.x, position.y) + robot->surfaceRetractionStepSize();
    })) << "the second search reached the surface";
    // Back at the start, at its own height.
    EXPECT_TRUE(robotPosition().matchesWithinTolerance(start, countResolution)) << robotPosition().description();
    EXPECT_TRUE(at(world->tipPosition()).matchesWithinTolerance(start, countResolution));
    // The previous calibration stays in force and in the settings.
    EXPECT_EQ(controller->surfaceCant(), previous);
    EXPECT_EQ(text(controller->labelForXSlope()), previousXLabel);
    EXPECT_EQ(store->coordinateArray(savedCalibrationPointsForXKey), previousX);
    EXPECT_EQ(store->coordinateArray(savedCalibrationPointsForYKey), previousY);

    // Robot work queued by another window makes this one not ready until it ends.
    ASSERT_TRUE(controller->robotReadyToMove());
    robot->runOnRoboticsQueue([this] { robot->moveToPosition(start.coordinateByIncreasingHeight(500.0)); });
    EXPECT_FALSE(controller->robotReadyToMove());
    EXPECT_FALSE(controller->calibrateButton()->isEnabled());
    EXPECT_TRUE(waitUntil([this] { return controller->robotReadyToMove(); }));
    EXPECT_TRUE(controller->calibrateButton()->isEnabled());
    waitForRobotQueue();
    onReport = nullptr;
}

TEST_F(SurfaceCantWindow, APositionerFallingSilentEndsTheRunWithOneErrorAndNoReturn) {
    makeController();
    // Silent from the moment the positioner reaches the first point along X.
    std::atomic<bool> silenced{false};
    onReport = [this, &silenced](const Coordinate& position) {
        if (position.x > startX + 2500.0 - countResolution && !silenced.exchange(true)) {
            bus->goSilent();
        }
    };
    click(controller->calibrateButton());
    waitForIdle();
    onReport = nullptr;
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_EQ(controller->calibrateButton()->text().toStdString(), "Calibrate surface cant");
    EXPECT_FALSE(controller->calibration().isCalibrationInProcess());
    // Left where it stopped, out along X: no move back to the start.
    EXPECT_TRUE(silenced.load());
    EXPECT_EQ(controller->calibration().calibratedPointsForX().size(), 1u);
    EXPECT_GT(world->tipPosition().x, startX + 2500.0 - countResolution);
    EXPECT_FALSE(store->coordinateArray(savedCalibrationPointsForXKey).has_value());
    EXPECT_EQ(controller->surfaceCant(), SurfaceCant{});
}

TEST_F(SurfaceCantWindow, ManualPointsOnThePlaneGiveItsSlopesAndClearingForgetsThem) {
    makeController();
    showManualControls();
    const auto pointButton = [this](ManualCalibrationPoint point) { return controller->manualCalibrationButton(point); };
    for (const ManualCalibrationPoint point :
         {ManualCalibrationPoint::upperLeft, ManualCalibrationPoint::upperRight, ManualCalibrationPoint::lowerLeft}) {
        EXPECT_EQ(text(controller->manualCoordinateLabel(point)), "Missing");
    }
    EXPECT_FALSE(controller->useManualPointsButton()->isEnabled());

    struct Corner {
        ManualCalibrationPoint point;
        const char* key;
        double x;
        double y;
    };
    const std::vector<Corner> corners{
        {ManualCalibrationPoint::upperLeft, upperLeftManualCalibrationPointKey, 50000.0, 40000.0},
        {ManualCalibrationPoint::upperRight, upperRightManualCalibrationPointKey, 60000.0, 40000.0},
        {ManualCalibrationPoint::lowerLeft, lowerLeftManualCalibrationPointKey, 50000.0, 50000.0}};
    for (const Corner& corner : corners) {
        const Coordinate onPlane{corner.x, corner.y, surfaceAt(corner.x, corner.y)};
        moveTo(onPlane);
        click(pointButton(corner.point));
        ASSERT_TRUE(waitUntil([&] { return controller->calibration().manualPoint(corner.point).has_value(); }));
        EXPECT_EQ(text(controller->manualCoordinateLabel(corner.point)), onPlane.description());
        EXPECT_EQ(store->coordinate(corner.key), onPlane);
        // Two points are not enough to use.
        EXPECT_EQ(controller->useManualPointsButton()->isEnabled(), &corner == &corners.back());
    }
    EXPECT_TRUE(controller->areAllManualPointsSet());

    click(controller->useManualPointsButton());
    EXPECT_EQ(text(controller->labelForXSlope()), "X slope: 0.004");
    EXPECT_EQ(text(controller->labelForYSlope()), "Y slope: -0.003");
    for (SurfaceCantGraph* graph : {controller->graphForXSlope(), controller->graphForYSlope()}) {
        EXPECT_EQ(graph->pointsSeries()->count(), 2);
        EXPECT_EQ(graph->lineSeries()->count(), 2);
    }
    EXPECT_EQ(controller->graphForYSlope()->pointsSeries()->at(1), QPointF(10000.0, -30.0));
    EXPECT_EQ(store->coordinateArray(savedCalibrationPointsForYKey)->size(), 2u);

    click(controller->clearManualPointsButton());
    EXPECT_FALSE(controller->areAllManualPointsSet());
    EXPECT_FALSE(controller->useManualPointsButton()->isEnabled());
    EXPECT_EQ(text(controller->manualCoordinateLabel(ManualCalibrationPoint::upperRight)), "Missing");
    EXPECT_FALSE(store->coordinate(upperRightManualCalibrationPointKey).has_value());
    EXPECT_TRUE(controller->calibration().calibratedPointsForX().empty());
    EXPECT_EQ(store->coordinateArray(savedCalibrationPointsForYKey), std::vector<Coordinate>{});
    EXPECT_EQ(controller->surfaceCant(), SurfaceCant{});
    EXPECT_EQ(text(controller->labelForXSlope()), "X slope: 0.0");
    EXPECT_EQ(controller->graphForXSlope()->pointsSeries()->count(), 0);
    EXPECT_EQ(controller->graphForXSlope()->lineSeries()->count(), 0);
    // Reached anyway with a point missing, using them does nothing.
    controller->useManualCalibrationPoints();
    EXPECT_TRUE(controller->calibration().calibratedPointsForX().empty());
    EXPECT_TRUE(errors().empty());
}

TEST_F(SurfaceCantWindow, TheManualPanelOpensBelowTheGraphsKeepingTheTopEdge) {
    makeController();
    QWidget* window = controller->window();
    const QRect closed = window->geometry();
    const QRect graphs = controller->graphForXSlope()->geometry();
    QWidget* panel = controller->manualControlsView();
    const int panelHeight = panel->height();

    showManualControls();
    EXPECT_TRUE(controller->isManualControlViewVisible());
    EXPECT_EQ(window->geometry().top(), closed.top());
    EXPECT_EQ(window->height(), closed.height() + panelHeight);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->x(), SurfaceCantCalibrationWindowController::manualControlsLeft);
    EXPECT_EQ(window->height() - panel->geometry().bottom() - 1,
              SurfaceCantCalibrationWindowController::manualControlsBottom);
    EXPECT_EQ(controller->graphForXSlope()->geometry(), graphs);

    click(controller->manualControlsButton());
    EXPECT_FALSE(controller->isManualControlViewVisible());
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(window->geometry(), closed);
}

TEST_F(SurfaceCantWindow, DistancesTypedBeforeCalibrateSetTheGraphsWithFewTicks) {
    makeController();
    const auto type = [](NumberField* field, const QString& entry, bool commit) {
        field->setFocus();
        field->selectAll();
        field->clear();
        QTest::keyClicks(field, entry);
        if (commit) {
            QTest::keyClick(field, Qt::Key_Return);
        }
    };
    // A cleared field, 0 and a word leave the distance as it was.
    for (const QString& ignored : {QString(), QString("0"), QString("far")}) {
        type(controller->distanceToCalibrateInYField(), ignored, true);
        EXPECT_EQ(controller->calibration().distanceToCalibrateInY(), 10000.0) << ignored.toStdString();
        EXPECT_EQ(controller->distanceToCalibrateInYField()->text().toStdString(), "10000.0");
    }
    EXPECT_FALSE(store->doubleForKey(distanceToCalibrateInYKey).has_value());

    type(controller->distanceToCalibrateInYField(), "1000", true);
    // Still being edited when Calibrate is pressed: the run takes it.
    type(controller->distanceToCalibrateInXField(), "50000", false);
    click(controller->calibrateButton());
    EXPECT_EQ(store->doubleForKey(distanceToCalibrateInXKey), 50000.0);
    EXPECT_EQ(store->doubleForKey(distanceToCalibrateInYKey), 1000.0);
    click(controller->calibrateButton());
    waitForIdle();

    struct Expected {
        SurfaceCantGraph* graph;
        double length;
        double distanceInterval;
        double heightInterval;
    };
    for (const Expected& e : {Expected{controller->graphForXSlope(), 50000.0, 10000.0, 200.0},
                              Expected{controller->graphForYSlope(), 1000.0, 200.0, 4.0}}) {
        const QValueAxis* distance = e.graph->distanceAxis();
        const QValueAxis* height = e.graph->heightAxis();
        EXPECT_EQ(distance->min(), 0.0);
        EXPECT_EQ(distance->max(), e.length);
        EXPECT_EQ(distance->tickInterval(), e.distanceInterval);
        EXPECT_EQ(height->min(), -e.length / 100.0);
        EXPECT_EQ(height->max(), e.length / 100.0);
        EXPECT_EQ(height->tickInterval(), e.heightInterval);
        for (const QValueAxis* axis : {distance, height}) {
            EXPECT_LE((axis->max() - axis->min()) / axis->tickInterval(), 20.0);
        }
    }
    EXPECT_GT(saveScreenshot(*controller->window(), "SurfaceCantCalibrationLongX", *controller->graphForYSlope()), 0);
}

} // namespace
} // namespace Dotfield::testing
