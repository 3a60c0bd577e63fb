// Whole prints on the simulated instrument: the IIb's moves, the electronics'
// drives and the relay's exposures as the world recorded them.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <thread>
#include <utility>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Platform/RepeatingTimer.hpp"
#include "Dotfield/tests/Printing/Engine/PrintingEngineTestSupport.hpp"
#include "Dotfield/tests/Printing/Engine/PrintingInstrumentFixture.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

namespace Dotfield::testing {
namespace {

using namespace std::chrono_literals;
using Simulators::DispenserDriveRecord;

double seconds(std::chrono::nanoseconds duration) { return std::chrono::duration<double>(duration).count(); }

class PrintingOnSimulatedInstrument : public PrintingInstrumentFixture {
  protected:
    void SetUp() override {
        PrintingInstrumentFixture::SetUp();
        startStatusPoll();
    }
    void TearDown() override {
        if (electronics) {
            EXPECT_FALSE(electronics->dispatchTimer().isSuspended());
        }
        PrintingInstrumentFixture::TearDown();
    }
    void print(const VeltranePatterns::Pattern& pattern) {
        onRobotQueue([&] { call.print(pattern, *robot, *printingElectronics); });
    }
    double surfaceAt(double x, double y) const { return world->surface()->heightAt(x, y); }

    PrintCall call;
};

// Nine points 500 units apart at scale 2: 1000 µm apart in the world.
VeltranePatterns::Pattern grid() {
    std::vector<VeltranePatterns::PatternItemPtr> points;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            points.push_back(point(column * 500.0, row * 500.0, 0.2));
        }
    }
    return makePattern({{"A", points}});
}

TEST_F(PrintingOnSimulatedInstrument, AGridOfPointsLandsOnTheTiltedSurfaceAtEachPointsPlace) {
    sampleReferenceStatistics();
    const double x0 = 40000.0;
    const double y0 = 50000.0;
    call.scaleFactor = 2.0;
    call.surfaceCant = {0.01, -0.005};
    call.start = {x0, y0, surfaceAt(x0, y0)};
    print(grid());

    // The second time the surface is found before each item, from a start
    // planned 100 µm above it.
    call.start.z += 100.0;
    call.findSurfaceEachItem = true;
    print(grid());

    const std::vector<DispenserDriveRecord> drives = world->dispenserDrives();
    ASSERT_EQ(drives.size(), 18u);
    for (std::size_t i = 0; i < drives.size(); ++i) {
        SCOPED_TRACE(i);
        const DispenserDriveRecord& drive = drives[i];
        ASSERT_EQ(drive.tipPath.size(), 1u);
        const auto at = drive.tipPath.front();
        const double x = x0 + static_cast<double>(i % 3) * 1000.0;
        const double y = y0 + static_cast<double>(i / 3 % 3) * 1000.0;
        EXPECT_NEAR(at.x, x, 2.5);
        EXPECT_NEAR(at.y, y, 2.5);
        EXPECT_NEAR(at.z, surfaceAt(x, y), robot->surfaceApproachStepSize());
        // The world runs 20 times faster than the machine, so a loaded
        // machine stretches the end; only a drive that ran on is refused.
        EXPECT_GE(seconds(drive.duration()), 0.2);
        EXPECT_LT(seconds(drive.duration()), 2.0);
    }

    // The manual speeds were the last sent: sending them again repeats the last values.
    std::map<std::pair<int, std::string>, std::optional<std::int64_t>> last;
    for (const auto& command : bus->transcript()) {
        last[{command.motor, command.command}] = command.value;
    }
    bus->clearTranscript();
    onRobotQueue([&] { robot->useManualPositioningMovementParameters(); });
    const auto manual = bus->transcript();
    ASSERT_FALSE(manual.empty());
    for (const auto& command : manual) {
        EXPECT_EQ((last[{command.motor, command.command}]), command.value) << command.command;
    }
}

// A line, an arc, a fill and an arc fill, far enough apart that a drive that
// ran on into the travel would leave its item's box.
VeltranePatterns::Pattern fourItems() {
    using namespace VeltranePatterns;
    using Zovudidova::degrees;
    return makePattern({{"A",
                         {line(0, 0, 1500, 0),
                          std::make_shared<Arc>(Coordinate{3000, 0, 0}, degrees(0), degrees(180), 500.0,
                                                RotationalDirection::clockwise),
                          std::make_shared<Fill>(Coordinate{0, 2000, 0}, FillDimensions{600, 400, 0},
                                                 Fill::FillType::horizontal),
                          std::make_shared<ArcFill>(100.0, 300.0, Coordinate{3000, 2500, 0}, degrees(0), degrees(90),
                                                    RotationalDirection::counterClockwise)}}});
}

TEST_F(PrintingOnSimulatedInstrument, DispensingAndSprayingDriveTheDispenserOnlyAlongTheItems) {
    const VeltranePatterns::Pattern pattern = fourItems();
    const auto& items = pattern.solutionLayers().front().patternItems();
    const double x0 = 40000.0;
    const double y0 = 50000.0;
    call.surfaceCant = {0.01, -0.005};
    call.start = {x0, y0, surfaceAt(x0, y0) + 20.0};
    for (const bool spray : {false, true}) {
        SCOPED_TRACE(spray ? "spray" : "dispense");
        const std::size_t before = world->dispenserDrives().size();
        call.spray = spray;
        print(pattern);
        const std::vector<DispenserDriveRecord> drives = world->dispenserDrives();
        ASSERT_EQ(drives.size() - before, items.size());
        for (std::size_t i = 0; i < items.size(); ++i) {
            SCOPED_TRACE(i);
            const DispenserDriveRecord& drive = drives[before + i];
            EXPECT_TRUE(drive.finished);
            // Spraying starts on the electronics' own queue: on a loaded
            // machine the world (20 times faster than the machine) can carry
            // the tip through most of an item before the first burst, so only
            // where it sprays is checked; dispensing starts before the move.
            if (!spray) {
                EXPECT_GT(drive.tipPath.size(), 1u);
            }
            const VeltranePatterns::Limits box = items[i]->limits();
            for (const auto& at : drive.tipPath) {
                EXPECT_GE(at.x, x0 + box.minX - 5.0);
                EXPECT_LE(at.x, x0 + box.maxX + 5.0);
                EXPECT_GE(at.y, y0 + box.minY - 5.0);
                EXPECT_LE(at.y, y0 + box.maxY + 5.0);
            }
        }
    }
}

// The silence is found by the links' read time-out, which runs in the
// machine's time: this world runs at worldRate.
class PrintingOnSimulatedInstrumentInRealTime : public PrintingOnSimulatedInstrument {
  protected:
    PrintingOnSimulatedInstrumentInRealTime() {
        options.clock = std::make_shared<Simulators::RealTimeWorldClock>(worldRate);
    }
};

TEST_F(PrintingOnSimulatedInstrumentInRealTime, APositionerFallingSilentMidLineEndsThePrintWithTheDispenserOff) {
    struct Case {
        const char* name;
        bool cureWhilePrinting;
    };
    for (const Case& c : {Case{"dispensing", false}, Case{"curing the line again", true}}) {
        SCOPED_TRACE(c.name);
        bus->speakAgain();
        onRobotQueue([&] { robot->readAndStoreCurrentPosition(); });
        const double x0 = 40000.0;
        const double y0 = 50000.0;
        call.start = {x0, y0, surfaceAt(x0, y0) + 50.0};
        if (c.cureWhilePrinting) {
            call.uvCuring = UVCuringPatternMode{UVCuringPatternMode::Kind::whilePrinting, relay, {0, 3000, 500}, 1.0};
        }
        // Silence as soon as the dispenser (or the UV lamp) is on.
        const std::size_t drives = world->dispenserDrives().size();
        const std::size_t exposures = world->uvExposures().size();
        std::chrono::nanoseconds silentAt{0};
        std::thread silencer([&] {
            Dotfield::Testing::eventually([&] {
                return c.cureWhilePrinting ? world->uvExposures().size() > exposures
                                           : world->dispenserDrives().size() > drives;
            });
            bus->goSilent();
            silentAt = world->now();
        });
        EXPECT_ANY_THROW(print(makePattern({{"A", {line(0, 0, 20000, 0)}}})));
        silencer.join();

        // Switched off at the first reply the positioner leaves out: one read
        // time-out after the silence, plus the exchanges that switch off
        // (allowed half a read time-out on a loaded machine), well before the
        // link's own wait for the reply, let alone its retries, has run out.
        const auto switchedOff = c.cureWhilePrinting ? world->uvExposures().back().end
                                                     : world->dispenserDrives().back().end;
        const auto readTimeout = std::chrono::duration_cast<std::chrono::nanoseconds>(linkReadTimeout * worldRate);
        EXPECT_LE(switchedOff - silentAt, readTimeout + readTimeout / 2)
            << "switched off " << seconds(switchedOff - silentAt) << " s (world) after the silence";

        EXPECT_EQ(instrument->electronics()->voltage(), 0.0);
        EXPECT_EQ(instrument->electronics()->relay(), Simulators::SimulatedElectronics::RelayPosition::electronics);
        EXPECT_FALSE(instrument->relayBox()->isClosed());
        EXPECT_FALSE(electronics->dispatchTimer().isSuspended());
        EXPECT_TRUE(Dotfield::Testing::eventually([&] {
            using Simulators::WorldAxis;
            return !world->axis(WorldAxis::x).moving && !world->axis(WorldAxis::y).moving &&
                   !world->axis(WorldAxis::z).moving;
        }));
        // Work the print left on the robot's queue has run: nothing more
        // goes to the positioner.
        const std::size_t sent = bus->transcript().size();
        onRobotQueue([] {});
        EXPECT_EQ(bus->transcript().size(), sent);
    }
}

} // namespace
} // namespace Dotfield::testing
