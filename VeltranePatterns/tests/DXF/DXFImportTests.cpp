#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Import/DXF/DXFImport.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFPatternImport.hpp"
#include "VeltranePatterns/tests/DXF/DXFItemDescriptions.hpp"
#include "VeltranePatterns/tests/DXF/DXFTestSupport.hpp"

using namespace VeltranePatterns;
using namespace DXFTestSupport;
using testing::ElementsAre;

namespace {

using Texts = std::vector<std::string>;
using LayerTexts = std::vector<std::pair<std::string, Texts>>;

LayerTexts describeLayers(const DXFImportState& state) {
    LayerTexts layers;
    for (const auto& layer : state.layers()) {
        layers.emplace_back(layer.name, describe(layer.items));
    }
    return layers;
}

DXFImportState importText(const std::string& text) {
    auto state = readDXFDrawing(writeTemporaryFile("drawing.dxf", text));
    EXPECT_TRUE(state.has_value());
    return state.value_or(DXFImportState{});
}

Groups concat(std::initializer_list<Groups> parts) {
    Groups all;
    for (const Groups& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

} // namespace

// One drawing with the features that matter together: a nested and a mirrored
// block reference, a hatch with an arc edge, a closed light-weight polyline with
// a bulge, a closed polyline, a SOLID and a 3DFACE with extrusion -1, an ellipse
// and a spline.
TEST(DXFImport, FeatureDrawingGivesItsItemsLayersAndBounds) {
    testing::internal::CaptureStdout();
    const auto state = readDXFDrawing(fixture("import-features.dxf"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "1 ellipse was not imported\n"
              "1 spline was not imported\n");
    ASSERT_TRUE(state.has_value());
    const LayerTexts expected{
        {"Outline",
         {"Line (0, 0, 0) (100, 0, 0)",
          // The bulge arc runs over the mirror image of the drawn half circle.
          "Arc (5, -10, 0) r5 180..360 ccw", "Line (10, -10, 0) (10, -20, 0)", "Line (10, -20, 0) (0, -10, 0)",
          "Line (0, -30, 0) (5, -35, 0)", "Line (5, -35, 0) (10, -30, 0)", "Line (10, -30, 0) (0, -30, 0)"}},
        {"Pins",
         {"Arc (21, -20, 0) r0.5 0..360 cw", "Line (20, -20, 0) (22, -20, 0)", "Arc (21, -30, 0) r0.5 0..360 cw",
          "Line (20, -30, 0) (22, -30, 0)"}},
        // Drawn from (2, 0) to (0, 2) about the block's origin, placed at (50, 50)
        // mirrored in x: from (50, 52) to (48, 50), then mirrored in y.
        {"Arcs", {"Arc (50, -50, 0) r2 -180..-90 cw"}},
        {"Fill",
         {"ArcFill (65, -10, 0) r0-5 -180..0 cw", "Polygon (60, 0, 0) (70, 0, 0) (70, -10, 0) (60, -10, 0)"}},
        {"Solids",
         {"Polygon (80, 0, 0) (90, 0, 0) (90, -10, 0) (80, -10, 0)",
          "Polygon (-10, -40, 0) (-20, -40, 0) (-20, -50, 0) (-10, -50, 0)"}},
        {"Curves", {}},
    };
    EXPECT_EQ(describeLayers(*state), expected);
    // The 3DFACE gives the least x, the spline's fit points the least y.
    EXPECT_EQ(state->bounds(), (Limits{-20, 100, -75, 0, 0, 0}));
}

TEST(DXFImport, EntityConversionCases) {
    struct Case {
        std::string name;
        Groups entities;
        LayerTexts expected;
    };
    const Case cases[] = {
        {"arc", {{0, "ARC"}, {8, "A"}, {10, "10"}, {20, "20"}, {40, "3"}, {50, "0"}, {51, "90"}},
         {{"A", {"Arc (10, -20, 0) r3 -90..0 cw"}}}},
        {"circle", {{0, "CIRCLE"}, {10, "1"}, {20, "2"}, {30, "3"}, {40, "5"}},
         {{"No Layer", {"Arc (1, -2, 3) r5 0..360 cw"}}}},
        {"point", {{0, "POINT"}, {8, "P"}, {10, "1"}, {20, "2"}}, {{"P", {"Point (1, -2, 0) 0ms"}}}},
        {"open light-weight polyline; a bulge on the last vertex changes nothing",
         {{0, "LWPOLYLINE"}, {8, "L"}, {10, "0"}, {20, "0"}, {10, "2"}, {20, "0"}, {10, "2"}, {20, "2"}, {42, "1"}},
         {{"L", {"Line (0, 0, 0) (2, 0, 0)", "Line (2, 0, 0) (2, -2, 0)"}}}},
        {"closed light-weight polyline",
         {{0, "LWPOLYLINE"}, {8, "L"}, {70, "1"}, {10, "0"}, {20, "0"}, {10, "2"}, {20, "0"}, {10, "2"}, {20, "2"}},
         {{"L", {"Line (0, 0, 0) (2, 0, 0)", "Line (2, 0, 0) (2, -2, 0)", "Line (2, -2, 0) (0, 0, 0)"}}}},
        {"bulge on the first vertex, at z 0 whatever the vertices' z",
         {{0, "LWPOLYLINE"}, {10, "0"}, {20, "0"}, {30, "4"}, {42, "0.5"}, {10, "2"}, {20, "0"}, {30, "4"}, {10, "2"},
          {20, "2"}, {42, "0"}},
         {{"No Layer",
           {"Arc (1, -0.75, 0) r1.25 143.130102..396.869898 ccw", "Line (2, 0, 4) (2, -2, 0)"}}}},
        {"zero chord with a bulge gives no item for that segment",
         {{0, "LWPOLYLINE"}, {10, "1"}, {20, "1"}, {42, "1"}, {10, "1"}, {20, "1"}, {10, "3"}, {20, "1"}},
         {{"No Layer", {"Line (1, -1, 0) (3, -1, 0)"}}}},
        {"two-point solid: its layer without items", {{0, "SOLID"}, {8, "S"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "0"}},
         {{"S", {}}}},
        {"layers in order of first use",
         {{0, "POINT"}, {8, "B"}, {10, "1"}, {20, "0"}, {0, "POINT"}, {8, "A"}, {10, "2"}, {20, "0"}, {0, "POINT"},
          {8, "B"}, {10, "3"}, {20, "0"}},
         {{"B", {"Point (1, 0, 0) 0ms", "Point (3, 0, 0) 0ms"}}, {"A", {"Point (2, 0, 0) 0ms"}}}},
        {"multiline with as many offsets as vertices",
         {{0, "MLINE"}, {8, "M"}, {10, "0"}, {20, "0"}, {11, "0"}, {21, "0"}, {13, "0"}, {23, "1"}, {11, "5"},
          {21, "0"}, {13, "0"}, {23, "1"}, {11, "5"}, {21, "5"}, {13, "1"}, {23, "0"}},
         {{"M",
           {"Line (0, 0, 0) (5, 0, 0)", "Line (5, 0, 0) (5, -5, 0)", "Line (0, 1, 0) (5, 1, 0)",
            "Line (5, 1, 0) (4, -5, 0)"}}}},
        {"multiline with fewer offsets than vertices",
         {{0, "MLINE"}, {8, "M"}, {10, "0"}, {20, "0"}, {11, "0"}, {21, "0"}, {13, "0"}, {23, "1"}, {11, "5"},
          {21, "0"}, {13, "0"}, {23, "1"}, {11, "5"}, {21, "5"}},
         {{"M", {}}}},
        {"open polyline", {{0, "POLYLINE"}, {0, "VERTEX"}, {10, "0"}, {20, "0"}, {0, "VERTEX"}, {10, "1"}, {20, "1"}},
         {{"No Layer", {"Line (0, 0, 0) (1, -1, 0)"}}}},
        // Below two vertices the reader gives no entity at all.
        {"light-weight polyline with one vertex", {{0, "LWPOLYLINE"}, {8, "Lonely"}, {10, "0"}, {20, "0"}}, {}},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStdout();
        const auto state = importText(entitiesSection(c.entities));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << c.name;
        EXPECT_EQ(describeLayers(state), c.expected) << c.name;
    }
}

TEST(DXFImport, BoundsAreTakenAfterMirroringAndLeaveOutEllipses) {
    testing::internal::CaptureStdout();
    const auto state = importText(entitiesSection(
        {{0, "LINE"}, {10, "0"}, {20, "0"}, {11, "10"}, {21, "50"}, {0, "ELLIPSE"}, {8, "E"}, {10, "-5"}, {20, "60"},
         {30, "2"}, {11, "1"}, {21, "0"}, {40, "0.5"}, {41, "0"}, {42, "1"}}));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "1 ellipse was not imported\n");
    // The ellipse's centre is not on anything printed.
    EXPECT_EQ(state.bounds(), (Limits{0, 10, -50, 0, 0, 0}));
    EXPECT_EQ(describeLayers(state), (LayerTexts{{"No Layer", {"Line (0, 0, 0) (10, -50, 0)"}}, {"E", {}}}));
}

TEST(DXFImport, HatchLoopsBecomePieSlicesAndConvexPolygons) {
    const Groups fullCircle{{72, "2"}, {10, "10"}, {20, "10"}, {40, "5"}, {50, "0"}, {51, "360"}};
    const Groups twoLines{{72, "1"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "0"},
                          {72, "1"}, {10, "1"}, {20, "0"}, {11, "0"}, {21, "0"}};
    const auto state = importText(entitiesSection(concat({
        {{0, "POINT"}, {8, "Existing"}, {10, "0"}, {20, "0"}},
        hatchOf("Circles", {fullCircle}),
        hatchOf("Thin", {twoLines}),
        hatchOf("Squares", {square(0, 0, 10), square(2, 2, 2)}),
    })));
    const LayerTexts expected{
        {"Existing", {"Point (0, 0, 0) 0ms"}},
        // A full circle: its pie slice alone, since the outline has two points.
        {"Circles", {"ArcFill (10, -10, 0) r0-5 -360..0 cw"}},
        // The two-line loop registers nothing; the inner square is filled, not a hole.
        {"Squares",
         {"Polygon (0, 0, 0) (10, 0, 0) (10, -10, 0) (0, -10, 0)", "Polygon (2, -2, 0) (4, -2, 0) (4, -4, 0) (2, -4, 0)"}},
    };
    EXPECT_EQ(describeLayers(state), expected);
    // Hatched areas widen the bounds like any other items.
    EXPECT_EQ(state.bounds(), (Limits{0, 15, -15, 0, 0, 0}));
}

// A partial arc edge follows the mirror image of the edge: the slice runs from the
// negated end to the negated start, and the outline meets it where the previous
// edge ends. Its slice is filed under the edge's own layer, before the polygons.
TEST(DXFImport, PartialArcEdgesFollowTheMirroredEdge) {
    const Groups dShape{{72, "1"}, {10, "0"}, {20, "0"}, {11, "4"}, {21, "0"},
                        {72, "2"}, {10, "4"}, {20, "2"}, {40, "2"}, {50, "270"}, {51, "90"},
                        {72, "1"}, {10, "4"}, {20, "4"}, {11, "0"}, {21, "4"},
                        {72, "1"}, {10, "0"}, {20, "4"}, {11, "0"}, {21, "0"}};
    const auto state = importText(entitiesSection(hatchOf("D", {dShape})));
    // Outline: (0, 0), (4, 0), the edge's start mirrored (4, 0) again, the centre
    // (4, -2), (4, -4), (0, -4): one rectangle once collinear and repeated points go.
    EXPECT_EQ(describeLayers(state), (LayerTexts{{"D",
                                                  {"ArcFill (4, -2, 0) r0-2 -90..-270 cw",
                                                   "Polygon (0, 0, 0) (4, 0, 0) (4, -4, 0) (0, -4, 0)"}}}));
    EXPECT_EQ(state.bounds(), (Limits{0, 6, -4, 0, 0, 0}));
}

TEST(DXFImport, BadInputGivesAPatternOrNothingButNeverACrash) {
    EXPECT_FALSE(readDXFDrawing("/nonexistent/drawing.dxf").has_value());

    std::string binary;
    for (int i = 0; i < 200'000; ++i) {
        binary.push_back(static_cast<char>((i * 7919 + i / 13) % 256));
    }
    std::string nans = dxfText({{0, "SECTION"}, {2, "ENTITIES"}});
    for (const char* kind : {"LINE", "CIRCLE", "ARC", "POINT", "LWPOLYLINE", "SOLID", "INSERT"}) {
        nans += dxfText({{0, kind}, {10, "nan"}, {20, "nan"}, {11, "inf"}, {21, "-inf"}, {40, "nan"}, {50, "nan"},
                         {51, "nan"}, {42, "nan"}, {10, "1"}, {20, "nan"}});
    }
    const std::string text = dxfText({{0, "SECTION"}, {2, "ENTITIES"}, {0, "LINE"}, {10, "1"}, {20, "2"}, {11, "3"}});
    const std::string cases[] = {
        text.substr(0, text.size() - 3), // truncated in the middle of a value
        binary,
        std::string(10 * 1024 * 1024, 'A'), // one 10 MB line
        "0\n" + std::string(10 * 1024 * 1024, '9') + "\n",
        nans,
    };
    for (const std::string& bytes : cases) {
        const auto state = importText(bytes);
        for (const auto& layer : state.layers()) {
            EXPECT_TRUE(layer.items.empty()) << layer.name;
        }
        EXPECT_EQ(state.bounds(), Limits{});
    }
}

TEST(DXFImport, BlockReferencesPlacedOutOfTheRangeOfNumbersAreDropped) {
    const std::string text =
        dxfText({{0, "SECTION"}, {2, "BLOCKS"}, {0, "BLOCK"}, {2, "Huge"}, {0, "LINE"}, {8, "L"}, {10, "1e300"},
                 {20, "0"}, {11, "1"}, {21, "1"}, {0, "ENDBLK"}, {0, "ENDSEC"}}) +
        entitiesSection({{0, "INSERT"}, {2, "Huge"}, {41, "1e300"}, {0, "POINT"}, {8, "P"}, {10, "1"}, {20, "1"}});
    const auto state = importText(text);
    EXPECT_EQ(describeLayers(state), (LayerTexts{{"P", {"Point (1, -1, 0) 0ms"}}}));
    EXPECT_EQ(state.bounds(), (Limits{1, 1, -1, -1, 0, 0}));
}

TEST(DXFPatternImport, PatternOfTheDrawingWithFixedSettings) {
    testing::internal::CaptureStdout();
    const auto pattern = patternFromDXFFile(fixture("import-features.dxf"));
    testing::internal::GetCapturedStdout();
    ASSERT_NE(pattern, nullptr);
    EXPECT_EQ(pattern->lengthUnit(), Zovudidova::DistanceUnit::millimeters);
    EXPECT_EQ(pattern->xScaleFactor(), 1.0);
    EXPECT_EQ(pattern->yScaleFactor(), 1.0);
    EXPECT_EQ(pattern->featureWidth(), 50.0);
    EXPECT_EQ(pattern->gridSpacing(), std::nullopt);
    EXPECT_EQ(pattern->canvasWidth(), std::nullopt);
    EXPECT_EQ(pattern->canvasHeight(), std::nullopt);
    EXPECT_EQ(pattern->canvasUpperLeft(), std::nullopt);
    EXPECT_TRUE(pattern->continuous());
    EXPECT_FALSE(pattern->useSprayingInsteadOfDispensing());
    EXPECT_FALSE(pattern->stayAtEndOfPatternWhenDone());
    EXPECT_EQ(pattern->minimumLimits(), (Pattern::Triple{-20, -75, 0}));
    EXPECT_EQ(pattern->maximumLimits(), (Pattern::Triple{100, 0, 0}));
    std::vector<std::string> names;
    std::vector<std::size_t> counts;
    for (const SolutionLayer& layer : pattern->solutionLayers()) {
        names.push_back(layer.solutionName());
        counts.push_back(layer.patternItems().size());
    }
    EXPECT_THAT(names, ElementsAre("Outline", "Pins", "Arcs", "Fill", "Solids", "Curves"));
    EXPECT_THAT(counts, ElementsAre(7, 4, 1, 2, 2, 0));

    EXPECT_EQ(patternFromDXFFile("/nonexistent/drawing.dxf"), nullptr);
}
