// UV curing and resuming on the simulated instrument: when the relay box is
// closed, what a stop records, and what a resumed print prints again.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "Dotfield/Instrument/Errors/RelayError.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Platform/RepeatingTimer.hpp"
#include "Dotfield/Printing/Modes/PrintingMode.hpp"
#include "Dotfield/tests/Printing/Engine/PrintingEngineTestSupport.hpp"
#include "Dotfield/tests/Printing/Engine/PrintingInstrumentFixture.hpp"
#include "Dotfield/tests/Support/ErrorCapture.hpp"

namespace Dotfield::testing {
namespace {

using Simulators::DispenserDriveRecord;
using Simulators::UVExposureRecord;
using Kind = UVCuringPatternMode::Kind;

double seconds(std::chrono::nanoseconds duration) { return std::chrono::duration<double>(duration).count(); }

class CuringAndResuming : public PrintingInstrumentFixture {
  protected:
    static constexpr double x0 = 40000.0;
    static constexpr double y0 = 50000.0;

    void SetUp() override {
        PrintingInstrumentFixture::SetUp();
        startStatusPoll();
        call.start = {x0, y0, world->surface()->heightAt(x0, y0) + 50.0};
    }
    void TearDown() override {
        if (electronics) {
            EXPECT_FALSE(electronics->dispatchTimer().isSuspended());
            EXPECT_FALSE(instrument->relayBox()->isClosed());
        }
        PrintingInstrumentFixture::TearDown();
    }
    void print(const VeltranePatterns::Pattern& pattern) {
        onRobotQueue([&] { call.print(pattern, *robot, *printingElectronics); });
    }
    void cure(Kind kind, double duration = 0.2) {
        call.uvCuring = UVCuringPatternMode{kind, relay, {0.0, 5000.0, 300.0}, duration};
    }
    // Two layers: two points, then three.
    static VeltranePatterns::Pattern twoLayers() {
        return makePattern({{"A", {point(0, 0), point(1000, 0)}},
                            {"B", {point(0, 1000), point(1000, 1000), point(2000, 1000)}}});
    }

    PrintCall call;
};

// Whether the exposure lies between the two times.
bool between(const UVExposureRecord& exposure, std::chrono::nanoseconds from, std::chrono::nanoseconds to) {
    return exposure.finished && exposure.start >= from && exposure.end <= to;
}

TEST_F(CuringAndResuming, TheRelayIsClosedExactlyDuringEachCuringPass) {
    const auto pattern = twoLayers();
    {
        SCOPED_TRACE("while printing: after each item");
        cure(Kind::whilePrinting);
        print(pattern);
        const auto drives = world->dispenserDrives();
        const auto exposures = world->uvExposures();
        ASSERT_EQ(drives.size(), 5u);
        ASSERT_EQ(exposures.size(), 5u);
        for (std::size_t i = 0; i < 5; ++i) {
            const auto next = i + 1 < 5 ? drives[i + 1].start : world->now();
            EXPECT_TRUE(between(exposures[i], drives[i].end, next)) << i;
            EXPECT_GE(seconds(exposures[i].duration()), 0.2);
            // Generous: the world runs 20 times faster than a loaded machine.
            EXPECT_LT(seconds(exposures[i].duration()), 2.0);
        }
    }
    {
        SCOPED_TRACE("after each solution: once per layer, over its items");
        const std::size_t drivesBefore = world->dispenserDrives().size();
        const std::size_t exposuresBefore = world->uvExposures().size();
        cure(Kind::afterEachSolution);
        print(pattern);
        const auto drives = world->dispenserDrives();
        const auto exposures = world->uvExposures();
        ASSERT_EQ(exposures.size() - exposuresBefore, 2u);
        EXPECT_TRUE(between(exposures[exposuresBefore], drives[drivesBefore + 1].end, drives[drivesBefore + 2].start));
        EXPECT_TRUE(between(exposures[exposuresBefore + 1], drives.back().end, world->now()));
        // The retrace dwells the curing duration at each item.
        EXPECT_GE(seconds(exposures[exposuresBefore].duration()), 2 * 0.2);
        EXPECT_GE(seconds(exposures[exposuresBefore + 1].duration()), 3 * 0.2);
    }
    {
        SCOPED_TRACE("after the pattern: once, over every item");
        const std::size_t exposuresBefore = world->uvExposures().size();
        cure(Kind::afterPattern);
        print(pattern);
        const auto drives = world->dispenserDrives();
        const auto exposures = world->uvExposures();
        ASSERT_EQ(exposures.size() - exposuresBefore, 1u);
        EXPECT_TRUE(between(exposures.back(), drives.back().end, world->now()));
        EXPECT_GE(seconds(exposures.back().duration()), 5 * 0.2);
    }
    // The relay's own record agrees with the box.
    EXPECT_EQ(relay->knownState(), RelayState::open);
}

TEST_F(CuringAndResuming, AMoveFailingMidRetraceLeavesTheRelayOpen) {
    cure(Kind::afterPattern);
    // The retrace runs 5000 µm further in Y, where an obstruction waits.
    world->placeObstruction(Simulators::WorldAxis::y, y0 + 5000.0 + 400.0, y0 + 5000.0 + 600.0);
    EXPECT_ANY_THROW(print(makePattern({{"A", {line(0, 0, 0, 1000)}}})));
    EXPECT_EQ(world->dispenserDrives().size(), 1u);
    ASSERT_EQ(world->uvExposures().size(), 1u);
    EXPECT_TRUE(world->uvExposures().front().finished);
    EXPECT_EQ(relay->knownState(), RelayState::open);
}

TEST_F(CuringAndResuming, CuringWithARelayWhoseLinkIsClosedFailsBeforeAnythingMoves) {
    cure(Kind::afterEachSolution);
    relay->setSerialPort(nullptr);
    const auto error = errorThrownBy<RelayError>([&] { print(twoLayers()); });
    EXPECT_EQ(error.kind(), RelayErrorKind::electronicsDisconnected);
    EXPECT_TRUE(call.questions.empty());
    EXPECT_TRUE(world->dispenserDrives().empty());
}

TEST_F(CuringAndResuming, AResumedPrintPrintsTheRestWhereItIsPlacedNowAndNothingTwice) {
    const auto pattern = twoLayers();
    call.stopWhen = [](int layer, int item, double) { return layer == 1 && item == 2; };
    print(pattern);
    ASSERT_EQ(std::get<0>(call.questions.back()), 1);
    ASSERT_EQ(std::get<1>(call.questions.back()), 2);
    ASSERT_EQ(world->dispenserDrives().size(), 4u);

    // Resume from here: the starting point moved 500 µm in X.
    call.stopWhen = nullptr;
    call.initialLayer = 1;
    call.initialPatternItem = 2;
    call.start.x += 500.0;
    print(pattern);
    const auto drives = world->dispenserDrives();
    ASSERT_EQ(drives.size(), 5u);
    EXPECT_NEAR(drives.back().tipPath.front().x, x0 + 500.0 + 2000.0, 2.5);
    EXPECT_NEAR(drives.back().tipPath.front().y, y0 + 1000.0, 2.5);
}

TEST_F(CuringAndResuming, APauseDuringACureRedoesOnlyThatCureOnResume) {
    const auto pattern = twoLayers();
    struct Case {
        const char* name;
        Kind kind;
        std::tuple<int, int> pausedAt;
    };
    for (const Case& c : {Case{"after each solution", Kind::afterEachSolution, {0, 2}},
                          Case{"after the pattern", Kind::afterPattern, {2, 0}}}) {
        SCOPED_TRACE(c.name);
        cure(c.kind);
        call.questions.clear();
        call.initialLayer = 0;
        call.initialPatternItem = 0;
        // Pause at the second question of the cure (between its first two items).
        int asked = 0;
        call.stopWhen = [&](int layer, int item, double) {
            return std::tuple{layer, item} == c.pausedAt && ++asked == 2;
        };
        const std::size_t drivesBefore = world->dispenserDrives().size();
        const std::size_t exposuresBefore = world->uvExposures().size();
        print(pattern);
        const std::size_t drivesPrinted = world->dispenserDrives().size() - drivesBefore;
        ASSERT_EQ(world->uvExposures().size() - exposuresBefore, 1u);
        EXPECT_FALSE(instrument->relayBox()->isClosed());

        call.stopWhen = nullptr;
        std::tie(call.initialLayer, call.initialPatternItem) = c.pausedAt;
        print(pattern);
        // Resumed: no item printed twice; the interrupted cure done again.
        const std::size_t drivesAfterResume = world->dispenserDrives().size() - drivesBefore;
        EXPECT_EQ(drivesAfterResume, 5u);
        EXPECT_EQ(drivesPrinted, c.kind == Kind::afterPattern ? 5u : 2u);
        EXPECT_EQ(world->uvExposures().size() - exposuresBefore, c.kind == Kind::afterPattern ? 2u : 3u);
    }
}

TEST_F(CuringAndResuming, ACancelDuringTheLastLayerSkipsItsCureAndTheCureAfterThePattern) {
    for (const auto& [kind, exposures] : {std::pair{Kind::afterEachSolution, 1u}, std::pair{Kind::afterPattern, 0u}}) {
        const std::size_t exposuresBefore = world->uvExposures().size();
        cure(kind);
        call.stopWhen = [](int layer, int item, double) { return layer == 1 && item == 1; };
        print(twoLayers());
        // Only the first layer's own cure, where there is one.
        EXPECT_EQ(world->uvExposures().size() - exposuresBefore, exposures);
        EXPECT_FALSE(electronics->dispatchTimer().isSuspended());
    }
}

TEST_F(CuringAndResuming, AFailedCureWhilePrintingResumesWithTheNextItemSoNoDropletIsPrintedTwice) {
    const auto pattern = twoLayers();
    cure(Kind::whilePrinting);
    // The UV relay does not close: the first item's cure fails after its droplet.
    instrument->relayBox()->setStuck(true);
    EXPECT_ANY_THROW(print(pattern));
    ASSERT_EQ(world->dispenserDrives().size(), 1u);
    ASSERT_FALSE(call.questions.empty());
    EXPECT_EQ(std::get<0>(call.questions.back()), 0);
    EXPECT_EQ(std::get<1>(call.questions.back()), 1);

    instrument->relayBox()->setStuck(false);
    call.initialLayer = std::get<0>(call.questions.back());
    call.initialPatternItem = std::get<1>(call.questions.back());
    print(pattern);
    const auto drives = world->dispenserDrives();
    ASSERT_EQ(drives.size(), 5u);
    EXPECT_NEAR(drives[1].tipPath.front().x, x0 + 1000.0, 2.5);
    EXPECT_NEAR(drives[1].tipPath.front().y, y0, 2.5);
}

TEST_F(CuringAndResuming, ATimedUVCureKeepsTheRelayClosedForItsOwnDuration) {
    onRobotQueue([&] {
        PrintingMode::uvCure(relay, 2.0).perform(Zovudidova::seconds(0.1), *printingElectronics);
    });
    const auto exposures = world->uvExposures();
    ASSERT_EQ(exposures.size(), 1u);
    EXPECT_GE(seconds(exposures.front().duration()), 2.0);
    EXPECT_LT(seconds(exposures.front().duration()), 10.0);
    EXPECT_TRUE(world->dispenserDrives().empty());
}

} // namespace
} // namespace Dotfield::testing
