// The topography mapping window through its widgets, offscreen, on the
// simulated DropwrightIIb over a plane with a bump, with the electronics of
// the same instrument finding the surface.

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "Dotfield/Calibration/UI/TopographyMappingWindowController.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/Platform/Alerts/ScriptedAlertPresenter.hpp"
#include "Dotfield/Platform/FileChoosers/ScriptedOpenFileChooser.hpp"
#include "Dotfield/Platform/FileChoosers/ScriptedSaveFileChooser.hpp"
#include "Dotfield/Robotics/SurfaceTopographyMap.hpp"
#include "Dotfield/tests/Support/SimulatedIIbWindowFixture.hpp"
#include "Dotfield/tests/Support/SampledDispenser.hpp"
#include "Dotfield/tests/Support/TestFiles.hpp"

namespace Dotfield::testing {
namespace {

using VeltranePatterns::Coordinate;

constexpr double startX = 20000.0;
constexpr double startY = 30000.0;
constexpr double plane = 10000.0;
constexpr double bump = 150.0;

class TopographyMappingWindow : public SimulatedIIbWindowFixture {
  protected:
    TopographyMappingWindow() {
        Simulators::SimulatedSurface surface = Simulators::SimulatedSurface::plane(plane);
        // 150 µm high at (2000, 2000) from the start, nothing at the grid points around it.
        surface.bumps = {.originU = startX + 1000.0,
                         .originV = startY + 1000.0,
                         .spacing = 1000.0,
                         .heights = {{0.0, 0.0, 0.0}, {0.0, bump, 0.0}, {0.0, 0.0, 0.0}}};
        options.surface = surface;
        options.start = Simulators::WorldPoint{startX, startY, plane + 250.0};
        for (const char* axis : {"X", "Y", "Z"}) {
            store->setDouble(100000.0, std::string("manualMovementVelocityFor") + axis);
        }
        store->setDouble(4000.0, "distanceToMapTopographyInX");
        store->setDouble(4000.0, "distanceToMapTopographyInY");
    }
    void SetUp() override {
        SimulatedIIbWindowFixture::SetUp();
        connectRobot();
        electronics = makeElectronicsWithSampledDispenser(store, pollClock, openPort(properties(SerialPortType::electronics)));
        start = robot->currentCoordinate();
        window = makeWindow(defaultFile);
        window->show();
    }
    void TearDown() override {
        if (window && window->isTopographyMappingInProgress()) {
            QTest::mouseClick(window->topographyMappingButton(), Qt::LeftButton);
            waitUntil([this] { return !window->isTopographyMappingInProgress(); });
        }
        waitForRobotQueue();
        window.reset();
        electronics.reset();
        SimulatedIIbWindowFixture::TearDown();
    }
    std::unique_ptr<TopographyMappingWindowController> makeWindow(const std::filesystem::path& file) {
        auto made = std::make_unique<TopographyMappingWindowController>(store, [file] { return file; });
        made->setRobot(robot);
        made->setElectronics(electronics);
        made->setErrorHandler(errorHandler());
        made->setRecalibrationOperationForSurfaceFinding([this] { ++recalibrations; });
        return made;
    }
    bool runEnded() {
        return waitUntil([this] { return !window->isTopographyMappingInProgress(); }) &&
               (waitForRobotQueue(), true);
    }

    std::shared_ptr<ManualClock> pollClock = std::make_shared<ManualClock>();
    std::shared_ptr<Electronics> electronics;
    std::filesystem::path folder = freshTestFolder("TopographyMappingWindow");
    std::filesystem::path defaultFile = folder / "topographymap.csv";
    std::unique_ptr<TopographyMappingWindowController> window;
    Coordinate start;
    int recalibrations = 0;
};

TEST_F(TopographyMappingWindow, MapsTheGridDrawsItsRowsKeepsItAndReturnsToTheStart) {
    ScopedScriptedAlertPresenter alerts;
    QTest::mouseClick(window->topographyMappingButton(), Qt::LeftButton);
    EXPECT_EQ(window->topographyMappingButton()->text(), "Cancel");
    EXPECT_EQ(window->topographyPlots().size(), 5U);
    ASSERT_TRUE(runEnded());
    EXPECT_TRUE(errors().empty());
    EXPECT_EQ(window->topographyMappingButton()->text(), "Map surface topography");

    const auto map = window->topographyMap();
    const auto grid = map->grid();
    ASSERT_EQ(grid.size(), 5U);
    for (std::size_t j = 0; j < grid.size(); ++j) {
        ASSERT_EQ(grid[j].size(), 5U) << j;
        for (std::size_t i = 0; i < grid[j].size(); ++i) {
            const Coordinate& point = grid[j][i];
            EXPECT_DOUBLE_EQ(point.x, start.x + 1000.0 * static_cast<double>(i));
            EXPECT_DOUBLE_EQ(point.y, start.y + 1000.0 * static_cast<double>(j));
            EXPECT_NEAR(point.z, world->surface()->heightAt(point.x, point.y), robot->surfaceApproachStepSize());
        }
    }
    EXPECT_GT(grid[2][2].z, grid[2][1].z + bump - 2 * robot->surfaceApproachStepSize());
    EXPECT_EQ(window->displayedMap(), map);
    EXPECT_EQ(window->topographyMapForPrinting(), map);
    const std::string saved = fileText(defaultFile);
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 25);
    EXPECT_EQ(robot->currentCoordinate(), start);
    EXPECT_NEAR(world->tipPosition().z, start.z, 1.0);
    for (const QLineSeries* plot : window->topographyPlots()) {
        EXPECT_EQ(plot->count(), 5);
    }
    EXPECT_TRUE(alerts.presenter().shownAlerts().empty());
    EXPECT_GT(saveScreenshot(*window, "TopographyMappingWindowController", *window->topographyMapGraphView()), 20);

    // Exported and imported by a window of a new installation.
    ScopedScriptedSaveFileChooser saving;
    saving.chooser().answer(folder / "exported.csv");
    QTest::mouseClick(window->exportButton(), Qt::LeftButton);
    window.reset();
    store->setDouble(700.0, "stepSizeToMapTopographyInX");
    store->setDouble(10000.0, "distanceToMapTopographyInY");
    std::filesystem::create_directories(folder / "elsewhere");
    window = makeWindow(folder / "elsewhere" / "topographymap.csv");
    EXPECT_EQ(window->topographyPlots().size(), 1U);
    ScopedScriptedOpenFileChooser opening;
    opening.chooser().answer(folder / "exported.csv");
    QTest::mouseClick(window->importButton(), Qt::LeftButton);
    EXPECT_EQ(window->topographyMap()->grid(), grid);
    EXPECT_EQ(window->stepSizeToMapTopographyInX(), 1000.0);
    EXPECT_EQ(window->stepSizeToMapTopographyInY(), 1000.0);
    EXPECT_EQ(window->distanceToMapTopographyInX(), 4000.0);
    EXPECT_EQ(window->distanceToMapTopographyInY(), 4000.0);
    EXPECT_EQ(store->doubleForKey("stepSizeToMapTopographyInX"), 1000.0);
    EXPECT_EQ(window->field("stepSizeToMapTopographyInX")->text(), "1000.0");
    EXPECT_EQ(window->topographyPlots().size(), 5U);
    EXPECT_EQ(fileText(folder / "elsewhere" / "topographymap.csv"), fileText(defaultFile));
    EXPECT_TRUE(alerts.presenter().shownAlerts().empty());
}

TEST_F(TopographyMappingWindow, ACancelReturnsToTheStartAndLeavesTheMapInForce) {
    window.reset();
    writeText(defaultFile, "5.0,5.0,5.0\n");
    window = makeWindow(defaultFile);
    window->show();
    const auto before = window->topographyMapForPrinting();
    ASSERT_TRUE(before);

    ScopedScriptedAlertPresenter alerts;
    QTest::mouseClick(window->topographyMappingButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([this] { return window->displayedMap()->grid().front().size() >= 2; }));
    QTest::mouseClick(window->topographyMappingButton(), Qt::LeftButton);
    EXPECT_EQ(window->topographyMappingButton()->text(), "Map surface topography");
    ASSERT_TRUE(runEnded());

    EXPECT_EQ(robot->currentCoordinate(), start);
    EXPECT_TRUE(errors().empty());
    EXPECT_TRUE(alerts.presenter().shownAlerts().empty());
    EXPECT_FALSE(window->hasTopographyMappingBeenCancelled());
    EXPECT_EQ(fileText(defaultFile), "5.0,5.0,5.0\n");
    EXPECT_EQ(window->topographyMapForPrinting(), before);
    // The points measured stay on the graph.
    EXPECT_GE(window->topographyPlots().front()->count(), 2);
    std::size_t measured = 0;
    for (const auto& row : window->displayedMap()->grid()) {
        measured += row.size();
    }
    EXPECT_LT(measured, 25U);
}

TEST_F(TopographyMappingWindow, TheSynchronousMappingPutsItsMapInForceAndStaysAtTheLastPoint) {
    window->setDistanceToMapTopographyInX(1000.0);
    window->setDistanceToMapTopographyInY(0.0);
    robot->serialDispatchQueue().sync([this] { window->performSurfaceTopographyMapping(); });
    ASSERT_TRUE(waitUntil([this] { return !window->topographyMap()->isEmpty(); }));
    const auto grid = window->topographyMap()->grid();
    ASSERT_EQ(grid.size(), 1U);
    ASSERT_EQ(grid[0].size(), 2U);
    EXPECT_EQ(robot->currentCoordinate(), grid[0][1]);
    EXPECT_EQ(window->topographyPlots().size(), 1U);
    EXPECT_EQ(window->topographyPlots()[0]->count(), 2);
    const std::string saved = fileText(defaultFile);
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 2);
}

TEST_F(TopographyMappingWindow, FreshInstallationClearAndRefusals) {
    ScopedScriptedAlertPresenter alerts;
    // No default file: the empty map's one row.
    EXPECT_EQ(window->topographyPlots().size(), 1U);
    EXPECT_FALSE(window->topographyMapForPrinting());
    // A point reported slightly off its row's Y opens a row, which gets a plot.
    window->recordPoint({0.0, 0.0, 1.0});
    window->recordPoint({0.0, 1000.0, 2.0});
    window->recordPoint({1000.0, 1000.25, 3.0});
    ASSERT_EQ(window->topographyPlots().size(), 3U);
    for (const QLineSeries* plot : window->topographyPlots()) {
        EXPECT_EQ(plot->count(), 1);
    }
    QTest::mouseClick(window->clearButton(), Qt::LeftButton);
    EXPECT_EQ(window->topographyPlots().size(), 10U);
    EXPECT_EQ(window->topographyPlots()[9]->name(), "Plot number 9");
    EXPECT_EQ(fileText(defaultFile), "");

    // An emptied field keeps its value; a step of 0 is refused before anything moves.
    QLineEdit* step = window->field("stepSizeToMapTopographyInY");
    step->setText("");
    QTest::keyClick(step, Qt::Key_Return);
    EXPECT_EQ(window->stepSizeToMapTopographyInY(), 1000.0);
    step->setText("0");
    QTest::keyClick(step, Qt::Key_Return);
    EXPECT_EQ(store->doubleForKey("stepSizeToMapTopographyInY"), 0.0);
    QTest::mouseClick(window->topographyMappingButton(), Qt::LeftButton);
    ASSERT_EQ(alerts.presenter().shownAlerts().size(), 1U);
    EXPECT_EQ(alerts.presenter().shownAlerts()[0].messageText, "The surface cannot be mapped with this grid.");
    EXPECT_FALSE(window->isTopographyMappingInProgress());
    EXPECT_EQ(robot->currentCoordinate(), start);

    // A file without a point is refused and changes nothing.
    writeText(folder / "notes.csv", "x,y,z\n");
    ScopedScriptedOpenFileChooser opening;
    opening.chooser().answer(folder / "notes.csv");
    QTest::mouseClick(window->importButton(), Qt::LeftButton);
    ASSERT_EQ(alerts.presenter().shownAlerts().size(), 2U);
    EXPECT_EQ(alerts.presenter().shownAlerts()[1].messageText, "Could not load topography map.");
    EXPECT_EQ(window->topographyPlots().size(), 10U);

    // An export that cannot be written.
    ScopedScriptedSaveFileChooser saving;
    saving.chooser().answer(folder / "missing-folder" / "map.csv");
    QTest::mouseClick(window->exportButton(), Qt::LeftButton);
    ASSERT_EQ(alerts.presenter().shownAlerts().size(), 3U);
    EXPECT_EQ(alerts.presenter().shownAlerts()[2].messageText, "Could not save topography map.");

    // Correction off: printing gets no map.
    writeText(folder / "one.csv", "0.0,0.0,1.0\n");
    opening.chooser().answer(folder / "one.csv");
    QTest::mouseClick(window->importButton(), Qt::LeftButton);
    EXPECT_TRUE(window->topographyMapForPrinting());
    window->correctionCheckBox()->click();
    EXPECT_FALSE(window->topographyMapForPrinting());
    EXPECT_EQ(store->boolForKey("shouldCorrectBasedOnTopographyMap"), false);

    // A map of more rows than the graph draws: the graph stops at its most plots.
    std::string rows;
    for (int j = 0; j < 1200; ++j) {
        rows += "0.0," + std::to_string(j) + ".0,1.0\n";
    }
    writeText(folder / "tall.csv", rows);
    opening.chooser().answer(folder / "tall.csv");
    QTest::mouseClick(window->importButton(), Qt::LeftButton);
    EXPECT_EQ(window->topographyMap()->rowCount(), 1200U);
    EXPECT_EQ(window->topographyPlots().size(), 1000U);
    EXPECT_TRUE(errors().empty());
}

TEST_F(TopographyMappingWindow, TheXAxisLabelsAreWrittenInFullForWideAndFineGrids) {
    const struct {
        double distance;
        double step;
    } grids[] = {{4000.0, 1000.0}, {10000.0, 1000.0}, {50000.0, 2500.0}};
    for (const auto& grid : grids) {
        for (const auto& [key, value] : {std::pair{"distanceToMapTopographyInX", grid.distance},
                                         std::pair{"stepSizeToMapTopographyInX", grid.step}}) {
            window->field(key)->setText(QString::number(value));
            QTest::keyClick(window->field(key), Qt::Key_Return);
        }
        // Clearing draws the empty grid's axes anew.
        QTest::mouseClick(window->clearButton(), Qt::LeftButton);
        QApplication::processEvents();
        window->topographyMapGraphView()->grab();
        const auto* xAxis = qobject_cast<const QValueAxis*>(
            window->topographyMapGraphView()->chart()->axes(Qt::Horizontal).front());
        ASSERT_NE(xAxis, nullptr);
        EXPECT_FALSE(xAxis->labelsTruncated()) << grid.distance << " by " << grid.step;
        // Few enough to stand side by side, each on a grid column.
        const double interval = xAxis->tickInterval();
        EXPECT_LE(grid.distance / interval, 12.0) << grid.distance << " by " << grid.step;
        EXPECT_EQ(std::fmod(interval, grid.step), 0.0) << grid.distance << " by " << grid.step;
    }
    saveScreenshot(*window, "TopographyMappingWindowController-wide", *window->topographyMapGraphView());
}

} // namespace
} // namespace Dotfield::testing
