// What the writer writes, the reader reads back the same: writing the read
// pattern again gives the same bytes, layer for layer and item for item.

#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Items/PatternItems.hpp"
#include "VeltranePatterns/Source/XML/PatternXMLReader.hpp"

using namespace VeltranePatterns;

namespace {

std::vector<std::pair<std::string, std::size_t>> layerShapes(const Pattern& pattern) {
    std::vector<std::pair<std::string, std::size_t>> shapes;
    for (const SolutionLayer& layer : pattern.solutionLayers()) {
        shapes.emplace_back(layer.solutionName(), layer.patternItems().size());
    }
    return shapes;
}

std::shared_ptr<const Polygon> polygon(std::vector<Coordinate> points) {
    return std::make_shared<const Polygon>(std::move(points), 3.0, std::nullopt, true);
}

} // namespace

TEST(PatternXMLRoundTrip, WriteReadWriteKeepsEveryKindDegeneratePolygonsAndEmptyLayers) {
    using Zovudidova::degrees;
    const std::vector<PatternItemPtr> everyKind{
        std::make_shared<const Line>(Coordinate{0, 1, 2}, Coordinate{3, 4, 5}, 6.0, 7.0, true),
        std::make_shared<const Point>(Coordinate{1, 2, 3}, Zovudidova::milliseconds(250), true),
        std::make_shared<const Fill>(Coordinate{0, 0, 0}, FillDimensions{-100, 50, 3},
                                     Fill::FillType::horizontal, 1.0, std::nullopt, false),
        std::make_shared<const Fill>(Coordinate{5, 5, 0}, FillDimensions{5, 95, 0}, Fill::FillType::vertical,
                                     std::nullopt, std::nullopt, false),
        std::make_shared<const Arc>(Coordinate{1, 2, 0}, degrees(350), degrees(10), 10.0,
                                    RotationalDirection::counterClockwise, std::nullopt, 2.0, false),
        std::make_shared<const ArcFill>(2.0, 10.0, Coordinate{1, 2, 4}, degrees(0), degrees(90),
                                        RotationalDirection::clockwise, std::nullopt, std::nullopt, true),
        polygon({{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {0, 1, 0}}),
        std::make_shared<const PatternPause>(1.5),
    };
    // Outlines without area, as drawing and Gerber imports make them.
    const std::vector<PatternItemPtr> degenerate{
        polygon({}),
        polygon({{5, 5, 0}}),
        polygon({{0, 0, 0}, {10, 0, 1}}),
        polygon({{0, 0, 0}, {5, 0, 0}, {10, 0, 0}}),
    };
    const Pattern original(Zovudidova::DistanceUnit::microns, 1, 1, 50, 100.0, std::nullopt, std::nullopt,
                           std::nullopt, false, false, false,
                           {SolutionLayer({}, "empty first"), SolutionLayer(everyKind, "A"),
                            SolutionLayer({}, ""), SolutionLayer(degenerate, "B"), SolutionLayer({}, "empty last")},
                           {}, {});

    const std::string written = original.dataForXMLRepresentation(1, std::nullopt, {});
    const std::shared_ptr<Pattern> read = patternFromXMLData(written);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->dataForXMLRepresentation(1, std::nullopt, {}), written);
    EXPECT_EQ(layerShapes(*read), layerShapes(original));
    const auto& readDegenerate = read->solutionLayers()[3].patternItems();
    for (std::size_t i = 0; i < degenerate.size(); ++i) {
        const auto readBack = patternItemAs<Polygon>(readDegenerate[i]);
        ASSERT_TRUE(readBack) << i;
        EXPECT_EQ(readBack->points(), patternItemAs<Polygon>(degenerate[i])->points()) << i;
        EXPECT_EQ(readBack->velocity(), 3.0) << i;
        EXPECT_TRUE(readBack->surfaceSensing()) << i;
    }
}

TEST(PatternXMLRoundTrip, ADisabledLayerReadsBackEmptyInItsPlace) {
    const auto point = std::make_shared<const Point>(Coordinate{1, 2, 0}, Zovudidova::milliseconds(1));
    const Pattern original(Zovudidova::DistanceUnit::microns, 1, 1, 50, 100.0, std::nullopt, std::nullopt,
                           std::nullopt, false, false, false,
                           {SolutionLayer({point}, "on"), SolutionLayer({point}, "off"),
                            SolutionLayer({point}, "also on")},
                           {}, {});
    const std::shared_ptr<Pattern> read =
        patternFromXMLData(original.dataForXMLRepresentation(1, std::nullopt, {"off"}));
    ASSERT_TRUE(read);
    EXPECT_EQ(layerShapes(*read), (std::vector<std::pair<std::string, std::size_t>>{
                                      {"on", 1}, {"off", 0}, {"also on", 1}}));
}
