// Printing through the document window with the printing engine on the
// simulated DropwrightIIb, its electronics and its relay box: where the
// droplets land, pausing and resuming, resuming from a new place, a
// positioner falling silent mid-print while curing, closing the window.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>
#include <vector>

#include <QApplication>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/HelperFunctions/TimerTicks.hpp"
#include "Dotfield/Instrument/DispenserStatus/DispenserStatusPoll.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Instrument/Relay/Relay.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/Printing/Modes/PrintingElectronics.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/tests/Printing/UI/PrintControlFixture.hpp"
#include "Dotfield/tests/Printing/Engine/PrintingInstrumentFixture.hpp"

namespace PrintControlTests {
namespace {

using Dotfield::UVCuringPatternMode;
using Simulators::DispenserDriveRecord;
using VeltranePatterns::Coordinate;
using RelayPosition = Simulators::SimulatedElectronics::RelayPosition;

double seconds(std::chrono::nanoseconds duration) { return std::chrono::duration<double>(duration).count(); }

// 50 ms points 1000 µm apart in a grid from (0, 0), nine by default. The
// tests that stop a print midway use a larger grid, so a busy machine still
// stops it long before the end.
std::vector<Coordinate> gridPoints(int columns = 3, int rows = 3) {
    std::vector<Coordinate> points;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            points.emplace_back(column * 1000.0, row * 1000.0, 0.0);
        }
    }
    return points;
}

std::string gridXML(int columns = 3, int rows = 3) {
    std::string items;
    for (const auto& q : gridPoints(columns, rows)) {
        items += pointXML("A", q.x, q.y, 50);
    }
    return items;
}

class EnginePrinting : public PrintControlFixture {
  protected:
    EnginePrinting() {
        options.start = Simulators::WorldPoint{20000.0, 30000.0, 20000.0};
        options.surface = Simulators::SimulatedSurface::plane(3000.0, 0.0, 0.0);
    }

    void SetUp() override {
        PrintControlFixture::SetUp();
        electronics = std::make_shared<Dotfield::Electronics>(store, Dotfield::ElectronicsTiming{clock, worldTime});
        electronics->setSerialPort(opener()(Dotfield::properties(Dotfield::SerialPortType::electronics)));
        electronics->setHardwareGeneration(Dotfield::ElectronicsHardwareGeneration::redesign2016);
        printingElectronics = std::make_unique<Dotfield::ElectronicsForPrinting>(*electronics, worldTime);
        // A poll whose ticks never come (its clock stands still): the print
        // suspends and resumes it.
        Dotfield::startRepeatingTimer(*electronics, Dotfield::dispenserStatusPollInterval,
                                      Dotfield::dispenserStatusPollLeeway, [] {});
        relay->setSerialPort(opener()(Dotfield::properties(Dotfield::SerialPortType::relay)));
        controller->electronics = electronics;
        controller->printPatternOperation = [this](const Dotfield::PatternPrintRun& run) {
            Dotfield::printWithEngine(run, *printingElectronics);
        };
        start = robot->currentCoordinate();
    }

    void TearDown() override {
        if (robot) {
            waitForRobotQueue();
        }
        if (electronics) {
            // Nothing left driven, the UV source off, the poll running.
            EXPECT_EQ(instrument->electronics()->voltage(), 0.0);
            EXPECT_EQ(instrument->electronics()->relay(), RelayPosition::electronics);
            EXPECT_FALSE(instrument->relayBox()->isClosed());
            EXPECT_FALSE(electronics->dispatchTimer().isSuspended());
        }
        PrintControlFixture::TearDown();
        printingElectronics.reset();
        electronics.reset();
        relay->setSerialPort(nullptr);
    }

    // Opens the pattern with its origin and a wide feature width (few polygon
    // rings), in microns.
    void openPattern(const std::string& items, Coordinate origin = {}) {
        ASSERT_NE(open("pattern.pattern", patternXML(items)), nullptr);
        ASSERT_EQ(document->scalingFromUnitsToMicrons(), 1.0);
        document->setOriginX(origin.x);
        document->setOriginY(origin.y);
        document->setFeatureWidth(400.0);
    }

    // The drives of single droplets (the tip did not move while driven).
    std::vector<DispenserDriveRecord> droplets() const {
        std::vector<DispenserDriveRecord> found;
        for (const auto& drive : world->dispenserDrives()) {
            if (drive.tipPath.size() == 1) {
                found.push_back(drive);
            }
        }
        return found;
    }

    bool waitForClosed() {
        const bool closed = pumpUntil([this] { return document->isClosed(); });
        waitForRunToEnd();
        return closed;
    }

    bool waitForPaused() {
        const bool paused = pumpUntil([this] { return !document->currentlyPrinting(); });
        waitForRunToEnd();
        return paused && document->printingPaused();
    }

    // Each expected place has exactly one droplet within 2 µm, and there are
    // no others.
    static void expectOneDropletAtEach(const std::vector<DispenserDriveRecord>& drives,
                                       const std::vector<Coordinate>& places) {
        ASSERT_EQ(drives.size(), places.size());
        for (const auto& place : places) {
            SCOPED_TRACE(place.description());
            const auto count = std::count_if(drives.begin(), drives.end(), [&](const DispenserDriveRecord& drive) {
                const auto& at = drive.tipPath.front();
                return std::hypot(at.x - place.x, at.y - place.y) <= 2.0;
            });
            EXPECT_EQ(count, 1);
        }
    }

    // Where the engine puts pattern point q: start + (q − origin).
    std::vector<Coordinate> placed(const std::vector<Coordinate>& points, Coordinate origin,
                                   Coordinate shift = {}) const {
        std::vector<Coordinate> places;
        for (const auto& q : points) {
            places.emplace_back(start.x + q.x - origin.x + shift.x, start.y + q.y - origin.y + shift.y, 0.0);
        }
        return places;
    }

    void expectBackAtStart(Coordinate shift = {}) const {
        const auto tip = world->tipPosition();
        EXPECT_NEAR(tip.x, start.x + shift.x, 2.5);
        EXPECT_NEAR(tip.y, start.y + shift.y, 2.5);
        EXPECT_NEAR(tip.z, start.z, 2.5);
    }

    std::shared_ptr<Dotfield::ManualClock> clock = std::make_shared<Dotfield::ManualClock>();
    std::shared_ptr<Dotfield::testing::WorldRateSleeper> worldTime =
        std::make_shared<Dotfield::testing::WorldRateSleeper>(clock, worldRate);
    std::shared_ptr<Dotfield::Electronics> electronics;
    std::unique_ptr<Dotfield::ElectronicsForPrinting> printingElectronics;
    std::shared_ptr<Dotfield::Relay> relay = std::make_shared<Dotfield::Relay>();
    Coordinate start;
};

TEST_F(EnginePrinting, PointsALineAndAPolygonLandWhereTheOriginPlacesThemAndTheFinishedDocumentCloses) {
    const Coordinate origin{500.0, 500.0, 0.0};
    openPattern(gridXML() + lineXML("A", 0, 3000, 2000, 3000) +
                    polygonXML("A", {{3000, 0}, {5000, 0}, {5000, 2000}, {3000, 2000}}),
                origin);
    press("pauseButton");
    ASSERT_TRUE(waitForClosed());

    const auto points = droplets();
    expectOneDropletAtEach(points, placed(gridPoints(), origin));
    for (const auto& drop : points) {
        // The world runs 20 times faster than a loaded machine: only a drive
        // that ran on is refused.
        EXPECT_GE(seconds(drop.duration()), 0.05);
        EXPECT_LT(seconds(drop.duration()), 1.0);
    }
    // The line and the polygon: each one drive, inside its item's place.
    std::vector<DispenserDriveRecord> paths;
    for (const auto& drive : world->dispenserDrives()) {
        if (drive.tipPath.size() > 1) {
            paths.push_back(drive);
        }
    }
    ASSERT_EQ(paths.size(), 2u);
    const auto spans = [](const DispenserDriveRecord& drive) {
        double minX = 1e12, maxX = -1e12, minY = 1e12, maxY = -1e12;
        for (const auto& at : drive.tipPath) {
            minX = std::min(minX, at.x);
            maxX = std::max(maxX, at.x);
            minY = std::min(minY, at.y);
            maxY = std::max(maxY, at.y);
        }
        return std::array<double, 4>{minX, maxX, minY, maxY};
    };
    const auto line = std::find_if(paths.begin(), paths.end(), [&](const auto& drive) {
        return spans(drive)[3] - spans(drive)[2] < 5.0;
    });
    ASSERT_NE(line, paths.end());
    const auto lineSpan = spans(*line);
    EXPECT_NEAR(lineSpan[0], start.x - 500.0, 5.0);
    EXPECT_NEAR(lineSpan[1], start.x + 1500.0, 5.0);
    EXPECT_NEAR(lineSpan[2], start.y + 2500.0, 5.0);
    const auto& polygon = line == paths.begin() ? paths[1] : paths[0];
    const auto polygonSpan = spans(polygon);
    EXPECT_GE(polygonSpan[0], start.x + 2500.0 - 5.0);
    EXPECT_LE(polygonSpan[1], start.x + 4500.0 + 5.0);
    EXPECT_GE(polygonSpan[2], start.y - 500.0 - 5.0);
    EXPECT_LE(polygonSpan[3], start.y + 1500.0 + 5.0);
    // The rings fill the square: the path reaches near each side.
    EXPECT_GT(polygonSpan[1] - polygonSpan[0], 1000.0);
    EXPECT_GT(polygonSpan[3] - polygonSpan[2], 1000.0);

    EXPECT_EQ(document->printStatus(), "Dispense status: 100.00% complete");
    EXPECT_TRUE(document->isClosed());
    EXPECT_TRUE(window.isNull() || !window->isVisible());
    expectBackAtStart();
    EXPECT_TRUE(handledErrors.empty());
}

TEST_F(EnginePrinting, APauseStopsAfterTheCurrentDropletAndResumePrintsTheRestEachOnce) {
    openPattern(gridXML(6, 5));
    press("pauseButton");
    ASSERT_TRUE(pumpUntil([this] { return droplets().size() >= 4; }));
    press("pauseButton");
    ASSERT_TRUE(waitForPaused());
    const std::size_t printed = droplets().size();
    EXPECT_GE(printed, 4u);
    ASSERT_LT(printed, 30u);
    EXPECT_EQ(button("pauseButton")->text(), "Resume");
    EXPECT_TRUE(button("resumeFromHereButton")->isVisible());
    EXPECT_FALSE(document->isClosed());

    press("pauseButton");
    ASSERT_TRUE(waitForClosed());
    expectOneDropletAtEach(droplets(), placed(gridPoints(6, 5), {}));
    expectBackAtStart();
}

TEST_F(EnginePrinting, ResumeFromHereAfterAJogShiftsTheRestOfThePattern) {
    openPattern(gridXML(6, 5));
    press("pauseButton");
    ASSERT_TRUE(pumpUntil([this] { return droplets().size() >= 3; }));
    press("pauseButton");
    ASSERT_TRUE(waitForPaused());
    const auto before = droplets();
    ASSERT_LT(before.size(), 30u);

    // The operator jogs the positioner 500 µm in x.
    const Coordinate jog{500.0, 0.0, 0.0};
    robot->runOnRoboticsQueue([robot = robot, jog] { robot->moveToPosition(robot->currentCoordinate() + jog); });
    waitForRobotQueue();
    press("resumeFromHereButton");
    ASSERT_TRUE(waitForClosed());

    // The droplets printed before stay; every other one lands 500 µm further in x.
    const auto all = droplets();
    ASSERT_EQ(all.size(), 30u);
    std::vector<Coordinate> expected;
    for (const auto& place : placed(gridPoints(6, 5), {})) {
        const bool printedBefore = std::any_of(before.begin(), before.end(), [&](const auto& drive) {
            return std::hypot(drive.tipPath.front().x - place.x, drive.tipPath.front().y - place.y) <= 2.0;
        });
        expected.push_back(printedBefore ? place : place + jog);
    }
    expectOneDropletAtEach(all, expected);
    expectBackAtStart(jog);
}

TEST_F(EnginePrinting, ASilentPositionerWhileCuringLeavesEverythingOffAndTheResumedPrintDispensesEachDropletOnce) {
    controller->uvCuringMode = UVCuringPatternMode{UVCuringPatternMode::Kind::whilePrinting, relay,
                                                   {0.0, 3000.0, 300.0}, 0.1};
    openPattern(gridXML(6, 5));
    press("pauseButton");
    ASSERT_TRUE(pumpUntil([this] { return world->uvExposures().size() >= 2; }));
    bus->goSilent();
    ASSERT_TRUE(pumpUntil([this] { return !handledErrors.empty() && !document->currentlyPrinting(); }));
    waitForRunToEnd();

    ASSERT_EQ(handledErrors.size(), 1u);
    EXPECT_THROW(std::rethrow_exception(handledErrors.front()), Dotfield::RoboticsError);
    EXPECT_EQ(instrument->electronics()->voltage(), 0.0);
    EXPECT_EQ(instrument->electronics()->relay(), RelayPosition::electronics);
    EXPECT_FALSE(instrument->relayBox()->isClosed());
    EXPECT_FALSE(electronics->dispatchTimer().isSuspended());
    EXPECT_TRUE(document->printingPaused());
    EXPECT_FALSE(document->isClosed());
    EXPECT_EQ(button("pauseButton")->text(), "Resume");
    EXPECT_TRUE(button("resumeFromHereButton")->isVisible());
    EXPECT_FALSE(grabToPNG(*window, "print-control-failed-run").isNull());

    // The fault cleared, the print resumes and completes.
    bus->speakAgain();
    waitForRobotQueue();
    robot->runOnRoboticsQueue([robot = robot] { robot->readAndStoreCurrentPosition(); });
    waitForRobotQueue();
    press("pauseButton");
    ASSERT_TRUE(waitForClosed());
    EXPECT_EQ(handledErrors.size(), 1u);
    expectOneDropletAtEach(droplets(), placed(gridPoints(6, 5), {}));
}

TEST_F(EnginePrinting, ClosingTheWindowMidPrintStopsThePrint) {
    openPattern(gridXML(6, 5));
    press("pauseButton");
    ASSERT_TRUE(pumpUntil([this] { return droplets().size() >= 2; }));
    window->close();
    ASSERT_TRUE(waitForClosed());
    EXPECT_LT(droplets().size(), 30u);
    EXPECT_EQ(controller->documents().size(), 0u);
    expectBackAtStart();
}

} // namespace
} // namespace PrintControlTests
