// What a drawing gives besides its items: one line per kind of entity that
// cannot be printed, values that are no numbers, and hatches bounded by
// polylines, which are filled like those bounded by edges.

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Import/DXF/DXFPatternImport.hpp"
#include "VeltranePatterns/Source/Items/Polygon.hpp"
#include "VeltranePatterns/tests/DXF/DXFItemDescriptions.hpp"
#include "VeltranePatterns/tests/DXF/DXFTestSupport.hpp"

using namespace VeltranePatterns;
using namespace DXFTestSupport;

namespace {

const Groups oneLine{{0, "LINE"}, {8, "L"}, {10, "0"}, {20, "0"}, {11, "3"}, {21, "4"}};

Groups join(std::initializer_list<Groups> parts) {
    Groups all;
    for (const Groups& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

struct Import {
    ImportedPattern result;
    std::string output;
};

Import importGroups(const Groups& entities) {
    testing::internal::CaptureStdout();
    Import import{importDXFFile(writeTemporaryFile("notes.dxf", entitiesSection(entities))), ""};
    import.output = testing::internal::GetCapturedStdout();
    EXPECT_NE(import.result.pattern, nullptr);
    return import;
}

// A hatch whose one boundary is a polyline path of the vertices, each with its bulge.
Groups polylineHatch(const std::vector<std::array<double, 3>>& vertices) {
    Groups groups{{0, "HATCH"}, {8, "Filled"}, {70, "1"}, {91, "1"}, {92, "7"}, {72, "1"}, {73, "1"},
                  {93, std::to_string(vertices.size())}};
    for (const auto& [x, y, bulge] : vertices) {
        groups.push_back({10, num(x)});
        groups.push_back({20, num(y)});
        groups.push_back({42, num(bulge)});
    }
    groups.push_back({97, "0"});
    groups.push_back({75, "1"});
    groups.push_back({98, "1"});
    groups.push_back({10, "1"}); // a seed point, not a vertex
    groups.push_back({20, "1"});
    return groups;
}

double areaOf(const Pattern& pattern) {
    double total = 0.0;
    for (const auto& item : pattern.solutionLayers().front().patternItems()) {
        const auto polygon = patternItemAs<Polygon>(item);
        EXPECT_NE(polygon, nullptr);
        const auto& p = polygon->points();
        double twice = 0.0;
        for (std::size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
            twice += p[j].x * p[i].y - p[i].x * p[j].y;
        }
        total += std::fabs(twice) * 0.5;
    }
    return total;
}

} // namespace

TEST(DXFImportNotes, TextsLeadersAndImagesAreCountedOneLinePerKind) {
    const Groups text{{0, "TEXT"}, {8, "Title"}, {10, "0"}, {20, "0"}, {1, "Board 7"}};
    const Groups mtext{{0, "MTEXT"}, {10, "0"}, {20, "5"}, {1, "Two\\Plines"}};
    const Groups leader{{0, "LEADER"}, {10, "0"}, {20, "0"}, {10, "5"}, {20, "5"}};
    const Groups image{{0, "IMAGE"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "0"}};
    const auto import = importGroups(join({text, oneLine, text, mtext, leader, image, image, image}));
    const std::vector<std::string> expected{"2 texts were not imported", "1 multiline text was not imported",
                                            "1 leader was not imported", "3 images were not imported"};
    EXPECT_EQ(import.result.notes, expected);
    EXPECT_EQ(import.output, "2 texts were not imported\n1 multiline text was not imported\n"
                             "1 leader was not imported\n3 images were not imported\n");
    // What can be printed is there all the same.
    EXPECT_EQ(describe(import.result.pattern->solutionLayers().front().patternItems()),
              (std::vector<std::string>{"Line (0, 0, 0) (3, -4, 0)"}));
}

TEST(DXFImportNotes, ValuesThatAreNoNumbersAreNamedWithTheirFirstLine) {
    // The second line's end is written with decimal commas; the first line still imports.
    const Groups comma{{0, "LINE"}, {8, "L"}, {10, "0,5"}, {20, "0"}, {11, "3,25"}, {21, "4"}};
    const auto import = importGroups(join({oneLine, comma}));
    EXPECT_EQ(import.result.notes, (std::vector<std::string>{"2 values are not DXF numbers, the first on line 22: "
                                                             "\"0,5\"; what they belong to was not imported"}));
    EXPECT_EQ(import.result.pattern->solutionLayers().front().patternItems().size(), 1u);
}

TEST(DXFImportNotes, PolylineBoundedHatchesAreFilled) {
    // A square, mirrored into the pattern's axes.
    const auto square = importGroups(polylineHatch({{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 0}}));
    EXPECT_EQ(describe(square.result.pattern->solutionLayers().front().patternItems()),
              (std::vector<std::string>{"Polygon (0, 0, 0) (4, 0, 0) (4, -4, 0) (0, -4, 0)"}));
    EXPECT_TRUE(square.result.notes.empty());

    // A slot: two half circles of radius 1 (bulge 1) on a 4 by 2 rectangle,
    // followed along their arcs in edges of 5 degrees.
    const auto slot = importGroups(polylineHatch({{0, 0, 0}, {4, 0, 1}, {4, 2, 0}, {0, 2, 1}}));
    const double exact = 4 * 2 + 3.141592653589793;
    EXPECT_NEAR(areaOf(*slot.result.pattern), exact, exact * 0.005);
    EXPECT_LT(areaOf(*slot.result.pattern), exact);

    // A hollow side (negative bulge) takes its half circle away.
    const auto bitten = importGroups(polylineHatch({{0, 0, 0}, {4, 0, -1}, {4, 2, 0}, {0, 2, 0}}));
    EXPECT_NEAR(areaOf(*bitten.result.pattern), 8 - 3.141592653589793 / 2, 0.02);
}
