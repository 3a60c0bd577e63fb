#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Import/DXF/DXFParser.hpp"
#include "VeltranePatterns/tests/DXF/DXFTestSupport.hpp"

using namespace VeltranePatterns;
using namespace DXFTestSupport;
using testing::ElementsAre;
using Zovudidova::AngleUnit;

namespace {

using Properties = std::map<std::int64_t, std::string>;

void expectNear(const Coordinate& actual, const Coordinate& expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-9);
    EXPECT_NEAR(actual.y, expected.y, 1e-9);
    EXPECT_NEAR(actual.z, expected.z, 1e-9);
}

const Groups oneLine{{0, "LINE"}, {8, "L"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"}};

// A BLOCKS section holding one block definition per entry: name and groups.
std::string blocksSection(const std::vector<std::pair<std::string, Groups>>& blocks) {
    Groups all{{0, "SECTION"}, {2, "BLOCKS"}};
    for (const auto& [name, groups] : blocks) {
        all.push_back({0, "BLOCK"});
        all.push_back({8, "0"});
        if (!name.empty()) {
            all.push_back({2, name});
        }
        all.push_back({70, "0"});
        all.insert(all.end(), groups.begin(), groups.end());
        all.push_back({0, "ENDBLK"});
    }
    all.push_back({0, "ENDSEC"});
    return dxfText(all);
}

Groups insertOf(const std::string& name, double x = 0.0) {
    return {{0, "INSERT"}, {2, name}, {10, std::to_string(x)}, {20, "0"}};
}

} // namespace

TEST(DXFParser, ReportsLayersAndEntitiesInFileOrder) {
    const auto record = parseRecording(fixture("layers-blocks-entities.dxf"));
    // The first layer is reported when the second record's name arrives, the second at
    // ENDTAB; the LINE when the INSERT begins, the block's placed entities at the TEXT,
    // and the CIRCLE (no layer group) at ENDSEC. TEXT gives nothing.
    EXPECT_THAT(record.events, ElementsAre("layer 0", "layer Walls", "entity Walls", "entity Walls", "entity Doors",
                                           "entity No Layer"));

    ASSERT_EQ(record.layers.size(), 2u);
    // The code-0 "LAYER" that opens the next record lands in the first record; the
    // table header's own groups (5, 70) appear in no layer; a repeated 62 keeps the last.
    EXPECT_EQ(record.layers[0].properties, (Properties{{0, "LAYER"}, {70, "0"}, {62, "7"}, {6, "CONTINUOUS"}}));
    EXPECT_EQ(record.layers[1].properties, (Properties{{70, "0"}, {62, "3"}, {6, "DASHED"}}));

    ASSERT_EQ(record.entities.size(), 4u);
    // The block reference at (50, 0) turned by 90 degrees.
    const auto* doorLine = record.entities[1].getIf<DXFEntity::Line>();
    ASSERT_NE(doorLine, nullptr);
    expectNear(doorLine->startPoint, {50, 0, 0});
    expectNear(doorLine->endPoint, {40, 0, 0});
    const auto* doorArc = record.entities[2].getIf<DXFEntity::Arc>();
    ASSERT_NE(doorArc, nullptr);
    expectNear(doorArc->center, {50, 0, 0});
    EXPECT_EQ(doorArc->startAngle.value(AngleUnit::degrees), 90.0);
    EXPECT_EQ(doorArc->endAngle.value(AngleUnit::degrees), 180.0);
    const auto* circle = record.entities[3].getIf<DXFEntity::Circle>();
    ASSERT_NE(circle, nullptr);
    EXPECT_EQ(circle->center, (Coordinate{20, 30, 0}));
    EXPECT_EQ(circle->radius, 2.5);
}

TEST(DXFParser, BlockCallbackTakesReferencesInsteadOfExpandingThem) {
    const auto record = parseRecording(fixture("layers-blocks-entities.dxf"), {.withBlockCallback = true});
    EXPECT_THAT(record.events,
                ElementsAre("layer 0", "layer Walls", "entity Walls", "block Door", "entity No Layer"));
    ASSERT_EQ(record.insertions.size(), 1u);
    EXPECT_EQ(record.insertions[0].offset, (Coordinate{50, 0, 0}));
    EXPECT_EQ(record.insertions[0].scale.x, 1.0);
    EXPECT_EQ(record.insertions[0].scale.z, 1.0); // missing 43
    EXPECT_EQ(record.insertions[0].rotationDegrees, 90.0);
}

TEST(DXFParser, ResynchronisesAfterCodeLinesThatAreNoInteger) {
    // A stray line after the entity name is dropped; " 20" is code 20 and "21 " is
    // code 21 (blanks around a code are accepted); its value "x" is no number
    // and the later 21 replaces it.
    const std::string text = "0\nSECTION\n2\nENTITIES\n0\nLINE\nthis is a stray line\n10\n1\n 20\n2\n11\n3\n"
                             "21 \nx\n21\n4\n0\nENDSEC\n0\nEOF\n";
    const auto record = parseText(text);
    ASSERT_EQ(record.entities.size(), 1u);
    const auto* line = record.entities[0].getIf<DXFEntity::Line>();
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->startPoint, (Coordinate{1, 2, 0}));
    EXPECT_EQ(line->endPoint, (Coordinate{3, 4, 0}));
}

TEST(DXFParser, SectionStructureCases) {
    struct Case {
        std::string name;
        std::string text;
        std::vector<std::string> events;
    };
    const std::string header = dxfText({{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1015"},
                                        {9, "$EXTMIN"}, {10, "0"}, {20, "0"}, {0, "ENDSEC"}});
    const Case cases[] = {
        {"empty file", "", {}},
        {"header only", header + dxfText({{0, "EOF"}}), {}},
        {"ENDSEC before a section name", dxfText({{0, "ENDSEC"}}) + entitiesSection(oneLine), {"entity L"}},
        {"ENDSEC with a trailing blank does not end the section",
         "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n0\n20\n0\n11\n1\n21\n1\n0\nENDSEC \n0\nPOINT\n10\n5\n20\n5\n"
         "0\nENDSEC\n",
         {"entity No Layer", "entity No Layer"}},
        {"end of file inside the LAYER table reports the last layer",
         dxfText({{0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LAYER"}, {0, "LAYER"}, {2, "A"}, {0, "LAYER"},
                  {2, "B"}, {70, "0"}}),
         {"layer A", "layer B"}},
        {"end of file inside ENTITIES reports the last entity",
         dxfText({{0, "SECTION"}, {2, "ENTITIES"}, {0, "POINT"}, {10, "1"}, {20, "1"}}), {"entity No Layer"}},
        {"a code at the very end is lost",
         dxfText({{0, "SECTION"}, {2, "ENTITIES"}, {0, "POINT"}, {10, "1"}}) + "20\n", {}},
        {"other tables and sections are skipped whole",
         dxfText({{0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LTYPE"}, {2, "LAYER"}, {0, "ENDTAB"},
                  {0, "ENDSEC"}, {0, "SECTION"}, {2, "OBJECTS"}, {0, "LINE"}, {10, "0"}, {20, "0"}, {11, "1"},
                  {21, "1"}, {0, "ENDSEC"}}),
         {}},
        {"VERTEX and SEQEND travel with their POLYLINE",
         entitiesSection({{0, "POLYLINE"}, {8, "P"}, {0, "VERTEX"}, {10, "0"}, {20, "0"}, {0, "VERTEX"},
                          {10, "1"}, {20, "0"}, {0, "SEQEND"}}),
         {"entity P"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseText(c.text).events, c.events) << c.name;
    }
}

TEST(DXFParser, BlocksAreStoredByNameAndFoundOnlyAfterTheirDefinition) {
    const Groups hatch{{0, "HATCH"}, {8, "H"}, {91, "1"}, {92, "1"}, {93, "0"}, {97, "0"}};
    Groups firstDefinition = oneLine;
    Groups secondDefinition{{0, "POINT"}, {8, "Second"}, {10, "1"}, {20, "2"}};
    secondDefinition.insert(secondDefinition.end(), hatch.begin(), hatch.end());
    const std::string text = entitiesSection(insertOf("B")) + // before the definition: nothing
                             blocksSection({{"B", firstDefinition}, {"B", secondDefinition}, {"", oneLine}}) +
                             entitiesSection(insertOf("B", 10.0));
    const auto record = parseText(text);
    // The hatch inside the block comes with the reference, after the block's
    // entities; the later definition of B replaces the earlier; the block
    // without a name is dropped.
    EXPECT_THAT(record.events, ElementsAre("entity Second", "hatch H"));
    ASSERT_EQ(record.entities.size(), 1u);
    EXPECT_EQ(record.entities[0].getIf<DXFEntity::Point>()->coordinate, (Coordinate{11, 2, 0}));
}

TEST(DXFParser, NestedReferencesAreExpandedInPlace) {
    Groups outer = insertOf("Inner", 0.0);
    const Groups second = insertOf("Inner", 5.0);
    outer.insert(outer.end(), second.begin(), second.end());
    const std::string text = blocksSection({{"Inner", oneLine}, {"Outer", outer}}) +
                             entitiesSection({{0, "INSERT"}, {2, "Outer"}, {10, "100"}, {20, "0"}, {42, "-1"}});
    const auto record = parseText(text);
    ASSERT_EQ(record.entities.size(), 2u);
    expectNear(record.entities[0].getIf<DXFEntity::Line>()->endPoint, {101, -1, 0});
    expectNear(record.entities[1].getIf<DXFEntity::Line>()->startPoint, {105, 0, 0});
}

// Each block references the one before it ten times: 10^40 entities on paper.
TEST(DXFParser, MultiplyingBlockReferencesAreCappedWithOneErrorLine) {
    std::vector<std::pair<std::string, Groups>> blocks;
    for (int level = 1; level <= 40; ++level) {
        Groups references;
        for (int i = 0; i < 10; ++i) {
            const Groups one = insertOf("B" + std::to_string(level - 1), i);
            references.insert(references.end(), one.begin(), one.end());
        }
        blocks.push_back({"B" + std::to_string(level), references});
    }
    const std::string text = blocksSection({{"B0", oneLine}}) + entitiesSection(insertOf("B0")) +
                             blocksSection(blocks) + entitiesSection(insertOf("B40")) +
                             entitiesSection(insertOf("B0"));

    testing::internal::CaptureStdout();
    const auto record = parseText(text, {.maximumExpandedEntities = 5'000});
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(output, "ERROR: Block references expand to more than 5000 entities; the remaining block references "
                      "are skipped\n");
    // Only the reference before the cap was reached gives its line.
    EXPECT_EQ(record.entities.size(), 1u);
}

TEST(DXFParser, DeeplyNestedBlocksAreCappedWithOneErrorLine) {
    std::vector<std::pair<std::string, Groups>> blocks{{"B0", oneLine}};
    for (int level = 1; level <= 100; ++level) {
        blocks.push_back({"B" + std::to_string(level), insertOf("B" + std::to_string(level - 1))});
    }
    const std::string text = blocksSection(blocks) + entitiesSection(insertOf("B63")) +
                             entitiesSection(insertOf("B64")) + entitiesSection(insertOf("B100"));
    testing::internal::CaptureStdout();
    const auto record = parseText(text);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "ERROR: Blocks are nested more than 64 deep; the deeper block references are skipped\n");
    // B63 is 64 deep and holds the line; B64 would be 65 deep and was stored empty.
    EXPECT_EQ(record.entities.size(), 1u);
}

TEST(DXFParser, ParseClearsTheMandatoryCallbacks) {
    auto parser = DXFParser::open(fixture("layers-blocks-entities.dxf"));
    ASSERT_NE(parser, nullptr);
    parser->layerCallback = [](const DXFLayer&) {};
    parser->entityCallback = [](const DXFEntity&) {};
    parser->hatchCallback = [](const DXFHatch&) {};
    parser->parse();
    EXPECT_FALSE(parser->layerCallback);
    EXPECT_FALSE(parser->entityCallback);
    EXPECT_TRUE(parser->hatchCallback);
    EXPECT_EQ(parser->blockLookupTable().count("Door"), 1u);
    EXPECT_EQ(DXFParser::open("/nonexistent/drawing.dxf"), nullptr);
}

TEST(DXFParserDeathTest, StopsWhenAMandatoryCallbackIsMissing) {
    const auto path = fixture("layers-blocks-entities.dxf");
    EXPECT_DEATH(DXFParser::open(path)->parse(), "You forgot to set the layer callback before parsing");
    EXPECT_DEATH(
        {
            auto parser = DXFParser::open(path);
            parser->layerCallback = [](const DXFLayer&) {};
            parser->parse();
        },
        "You forgot to set the entity callback before parsing");
}
