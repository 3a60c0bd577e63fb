// Drawings as CAD programs write them: block arrays, blocks that refer to
// blocks defined after them, hatches inside blocks, entities seen from below,
// and the extent of arcs and bulges in the pattern's limits.

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Import/DXF/DXFImport.hpp"
#include "VeltranePatterns/Source/Items/Arc.hpp"
#include "VeltranePatterns/tests/DXF/DXFItemDescriptions.hpp"
#include "VeltranePatterns/tests/DXF/DXFTestSupport.hpp"

using namespace VeltranePatterns;
using namespace DXFTestSupport;

namespace {

using LayerTexts = std::vector<std::pair<std::string, std::vector<std::string>>>;

Groups join(std::initializer_list<Groups> parts) {
    Groups all;
    for (const Groups& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// A BLOCKS section of named blocks, then an ENTITIES section.
std::string drawing(const std::vector<std::pair<std::string, Groups>>& blocks, const Groups& entities) {
    Groups all{{0, "SECTION"}, {2, "BLOCKS"}};
    for (const auto& [name, groups] : blocks) {
        all.insert(all.end(), {{0, "BLOCK"}, {8, "0"}, {2, name}, {70, "0"}, {10, "0"}, {20, "0"}});
        all.insert(all.end(), groups.begin(), groups.end());
        all.push_back({0, "ENDBLK"});
    }
    all.insert(all.end(), {{0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"}});
    all.insert(all.end(), entities.begin(), entities.end());
    all.insert(all.end(), {{0, "ENDSEC"}, {0, "EOF"}});
    return dxfText(all);
}

const Groups pointAt1{{0, "POINT"}, {8, "P"}, {10, "1"}, {20, "0"}};

} // namespace

TEST(DXFPlacementAndExtent, ItemsAndLimitsOfDrawingsFromCADPrograms) {
    struct Case {
        std::string name;
        std::string text;
        LayerTexts layers;
        Limits bounds;
    };
    const Case cases[] = {
        {"INSERT with columns and rows gives every copy",
         drawing({{"B", pointAt1}},
                 {{0, "INSERT"}, {2, "B"}, {10, "0"}, {20, "0"}, {70, "3"}, {71, "2"}, {44, "5"}, {45, "5"}}),
         {{"P",
           {"Point (1, 0, 0) 0ms", "Point (6, 0, 0) 0ms", "Point (11, 0, 0) 0ms", "Point (1, -5, 0) 0ms",
            "Point (6, -5, 0) 0ms", "Point (11, -5, 0) 0ms"}}},
         {1, 11, -5, 0, 0, 0}},
        {"MINSERT spacings run along the rotated block",
         drawing({{"B", pointAt1}},
                 {{0, "MINSERT"}, {2, "B"}, {10, "10"}, {20, "0"}, {50, "90"}, {70, "2"}, {44, "5"}}),
         {{"P", {"Point (10, -1, 0) 0ms", "Point (10, -6, 0) 0ms"}}},
         {10, 10, -6, -1, 0, 0}},
        {"blocks refer to blocks defined after them",
         drawing({{"Outer", {{0, "INSERT"}, {2, "Middle"}, {10, "10"}, {20, "0"}}},
                  {"Middle", {{0, "INSERT"}, {2, "Inner"}, {10, "0"}, {20, "10"}}},
                  {"Inner", pointAt1}},
                 {{0, "INSERT"}, {2, "Outer"}, {10, "100"}, {20, "0"}}),
         {{"P", {"Point (111, -10, 0) 0ms"}}},
         {111, 111, -10, -10, 0, 0}},
        {"a hatch in a block that is never inserted gives nothing",
         drawing({{"Unused", hatchOf("H", {square(0, 0, 400)})}}, pointAt1),
         {{"P", {"Point (1, 0, 0) 0ms"}}},
         {1, 1, 0, 0, 0, 0}},
        {"a hatch in a block is placed by the reference",
         drawing({{"Pad", hatchOf("H", {square(0, 0, 4)})}}, {{0, "INSERT"}, {2, "Pad"}, {10, "10"}, {20, "0"}}),
         {{"H", {"Polygon (10, 0, 0) (14, 0, 0) (14, -4, 0) (10, -4, 0)"}}},
         {10, 14, -4, 0, 0, 0}},
        {"a shallow arc spans its end points and the top it passes",
         entitiesSection({{0, "ARC"}, {8, "A"}, {10, "0"}, {20, "0"}, {40, "1000"}, {50, "89"}, {51, "91"}}),
         {{"A", {"Arc (0, 0, 0) r1000 -91..-89 cw"}}},
         {-17.452406, 17.452406, -1000, -999.847695, 0, 0}},
        {"a round pad of two bulges lies within the limits",
         entitiesSection({{0, "LWPOLYLINE"}, {8, "Pad"}, {70, "1"}, {10, "0"}, {20, "0"}, {42, "1"}, {10, "10"},
                          {20, "0"}, {42, "1"}}),
         {{"Pad", {"Arc (5, 0, 0) r5 180..360 ccw", "Arc (5, 0, 0) r5 0..180 ccw"}}},
         {0, 10, -5, 5, 0, 0}},
        {"extrusion (0, 0, -1) mirrors arcs, circles and polylines in x",
         entitiesSection(join({
             {{0, "ARC"}, {8, "E"}, {10, "10"}, {20, "0"}, {40, "2"}, {50, "0"}, {51, "90"}, {210, "0"}, {220, "0"},
              {230, "-1"}},
             {{0, "CIRCLE"}, {8, "E"}, {10, "5"}, {20, "5"}, {40, "1"}, {230, "-1"}},
             {{0, "LWPOLYLINE"}, {8, "E"}, {10, "1"}, {20, "0"}, {42, "1"}, {10, "2"}, {20, "0"}, {230, "-1"}},
             {{0, "POLYLINE"}, {8, "E"}, {230, "-1"}, {0, "VERTEX"}, {10, "1"}, {20, "1"}, {0, "VERTEX"}, {10, "2"},
              {20, "1"}, {0, "SEQEND"}},
         })),
         {{"E",
           {"Arc (-10, 0, 0) r2 -180..-90 cw", "Arc (-5, -5, 0) r1 0..360 cw", "Arc (-1.5, 0, 0) r0.5 0..180 cw",
            "Line (-1, -1, 0) (-2, -1, 0)"}}},
         {-12, -1, -6, 0.5, 0, 0}},
    };
    for (const Case& c : cases) {
        const auto state = readDXFDrawing(writeTemporaryFile("drawing.dxf", c.text));
        ASSERT_TRUE(state) << c.name;
        LayerTexts layers;
        for (const auto& layer : state->layers()) {
            layers.emplace_back(layer.name, describe(layer.items));
        }
        EXPECT_EQ(layers, c.layers) << c.name;
        const Limits b = state->bounds();
        EXPECT_EQ(num(b.minX) + " " + num(b.maxX) + " " + num(b.minY) + " " + num(b.maxY),
                  num(c.bounds.minX) + " " + num(c.bounds.maxX) + " " + num(c.bounds.minY) + " " +
                      num(c.bounds.maxY))
            << c.name;
    }
}

// However small the arc, it starts and ends at the polyline's vertices.
TEST(DXFPlacementAndExtent, BulgeArcsEndAtTheirVertices) {
    const Coordinate vertices[] = {{0, 0, 0}, {0.02, 0.001, 0}, {0.021, 0.03, 0}, {0.003, 0.0305, 0}};
    const auto state = readDXFDrawing(writeTemporaryFile(
        "small.dxf", entitiesSection({{0, "LWPOLYLINE"}, {10, "0"}, {20, "0"}, {42, "0.3"}, {10, "0.02"},
                                      {20, "0.001"}, {42, "-0.2"}, {10, "0.021"}, {20, "0.03"}, {42, "0.7"},
                                      {10, "0.003"}, {20, "0.0305"}})));
    ASSERT_TRUE(state);
    ASSERT_EQ(state->layers().size(), 1u);
    const auto& items = state->layers()[0].items;
    ASSERT_EQ(items.size(), 3u);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto arc = patternItemAs<Arc>(items[i]);
        ASSERT_TRUE(arc);
        // The mirrored vertices, in either order: the item's direction decides which end is first.
        const Coordinate from{vertices[i].x, -vertices[i].y, 0}, to{vertices[i + 1].x, -vertices[i + 1].y, 0};
        const Coordinate start = arc->startingCoordinate(), end = *arc->endingCoordinate();
        const auto distance = [](const Coordinate& a, const Coordinate& b) {
            return std::hypot(a.x - b.x, a.y - b.y);
        };
        EXPECT_LT(std::min(distance(start, from), distance(start, to)), 1e-12) << i;
        EXPECT_LT(std::min(distance(end, from), distance(end, to)), 1e-12) << i;
    }
}
