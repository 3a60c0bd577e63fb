// The reference pattern printed through a document on every positioner
// model, flat and on a tilted, turned, scaled and moved placement: every
// item's track in the world against the shape its definition and the
// placement give, the tip's height over the surface while dispensing, and
// the instrument left safe.

#include <algorithm>
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "Dotfield/tests/EndToEnd/ModelPrintingFixture.hpp"

namespace Dotfield::testing {
namespace {

std::string setupName(const ::testing::TestParamInfo<PrintSetup>& info) {
    return info.param.model + (info.param.tilted ? "Tilted" : "Flat") +
           (info.param.worldRate > 0.0 ? "RealTime" : "Fast");
}

class PrintedShapes : public ::testing::TestWithParam<PrintSetup> {};

TEST_P(PrintedShapes, EveryItemLandsWhereItsDefinitionAndThePlacementPutIt) {
    ModelPrinting printing(GetParam());
    printing.connect();
    const auto drives = printing.print(ModelPrinting::referencePattern());

    const ModelResolution resolution = ModelPrinting::resolution(GetParam().model);
    const std::vector<ExpectedShape> shapes = expectedShapes(*printing.document()->pattern(), printing.placement());
    ASSERT_EQ(shapes.size(), 6u);
    ASSERT_EQ(drives.size(), shapes.size()) << "one drive of the dispenser per item";

    std::vector<std::vector<WorldPoint>> tracks;
    for (const auto& drive : drives) {
        EXPECT_TRUE(drive.finished);
        tracks.push_back(drive.tipPath);
    }
    const std::vector<std::size_t> matched = matchTracks(shapes, tracks);
    const double pathTolerance = resolution.step + 2.5;
    const double reach = ModelPrinting::featureWidth / 2.0;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        const ExpectedShape& shape = shapes[i];
        SCOPED_TRACE(shape.name);
        ASSERT_LT(matched[i], tracks.size());
        const TrackFit fit = fitTrack(shape, tracks[matched[i]], reach);
        switch (shape.kind) {
        case ExpectedShape::Kind::point:
            EXPECT_LE(fit.placeError, resolution.step);
            break;
        case ExpectedShape::Kind::path:
            EXPECT_LE(fit.largestDeviation, pathTolerance);
            EXPECT_LE(fit.largestMiss, pathTolerance);
            break;
        case ExpectedShape::Kind::arc: {
            // Drawn as chords: each sags inside the circle.
            const double sag = resolution.arcChord * resolution.arcChord / (8.0 * shape.radius);
            EXPECT_LE(fit.largestDeviation, pathTolerance + sag);
            EXPECT_LE(fit.largestMiss, pathTolerance + sag);
            EXPECT_NEAR(fit.meanRadius, shape.radius, pathTolerance + sag);
            EXPECT_LE(fit.midpointMiss, pathTolerance + sag);
            break;
        }
        case ExpectedShape::Kind::region:
            EXPECT_GE(fit.coverage, 0.99);
            EXPECT_LE(fit.farthestOutside, reach);
            break;
        }
    }

    // The tip keeps the height the surface finding gave it over the surface,
    // tilted or not, along every path while dispensing.
    const auto world = printing.instrument().world();
    const auto surface = world->surface();
    ASSERT_TRUE(surface);
    const auto start = printing.foundStart();
    const double startHeight = start.z - surface->heightAt(start.x, start.y);
    EXPECT_GE(startHeight, 0.0);
    EXPECT_LE(startHeight, printing.robot().surfaceRetractionStepSize() +
                               Simulators::InstrumentWorld::contactTolerance + resolution.zStep);
    double worstHeight = 0.0;
    for (const auto& drive : drives) {
        for (const auto& p : drive.tipPath) {
            worstHeight = std::max(worstHeight, std::abs(p.z - surface->heightAt(p.x, p.y) - startHeight));
        }
    }
    EXPECT_LE(worstHeight, resolution.heightTolerance + 1e-6);
    // Only the surface finding's own steps may reach below the surface.
    EXPECT_LE(world->deepestPress(), printing.robot().surfaceApproachStepSize());

    EXPECT_EQ(printing.instrument().electronics()->voltage(), 0.0);
    EXPECT_FALSE(printing.instrument().relayBox()->isClosed());
    EXPECT_FALSE(printing.electronics().dispatchTimer().isSuspended());
}

// The tests' fast world; the application's real-time world for the default model.
constexpr double fastRate = 0.0;

INSTANTIATE_TEST_SUITE_P(
    AllModels, PrintedShapes,
    ::testing::Values(PrintSetup{"IIa", fastRate, false}, PrintSetup{"IIa", fastRate, true},
                      PrintSetup{"IIb", fastRate, false}, PrintSetup{"IIb", fastRate, true},
                      PrintSetup{"Desktop", fastRate, false}, PrintSetup{"Desktop", fastRate, true},
                      PrintSetup{"Proto", fastRate, false}, PrintSetup{"Proto", fastRate, true},
                      PrintSetup{"IIb", 1.0, false}),
    setupName);

// Positions the robot moves to are where the world puts the tip.
class RobotFrames : public ::testing::TestWithParam<const char*> {};

TEST_P(RobotFrames, AMoveLandsAtItsPositionInTheWorld) {
    ModelPrinting printing({GetParam(), fastRate, false});
    printing.connect();
    const ModelResolution resolution = ModelPrinting::resolution(GetParam());
    const auto world = printing.instrument().world();
    const auto here = printing.robot().currentCoordinate();
    const auto tip = world->tipPosition();
    EXPECT_NEAR(here.x, tip.x, resolution.step);
    EXPECT_NEAR(here.y, tip.y, resolution.step);
    EXPECT_NEAR(here.z, tip.z, resolution.zStep);

    const VeltranePatterns::Coordinate target{here.x + 1234.0, here.y - 567.0, here.z + 890.0};
    printing.onRobotQueue([&] { printing.robot().moveToPosition(target); });
    const auto moved = world->tipPosition();
    EXPECT_NEAR(moved.x, target.x, resolution.step);
    EXPECT_NEAR(moved.y, target.y, resolution.step);
    EXPECT_NEAR(moved.z, target.z, resolution.zStep);
}

INSTANTIATE_TEST_SUITE_P(AllModels, RobotFrames, ::testing::Values("IIa", "IIb", "Desktop", "Proto"));

} // namespace
} // namespace Dotfield::testing
