#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GerberItemText.hpp"
#include "VeltranePatterns/Source/Import/Gerber/GerberPatternBuilder.hpp"

using namespace VeltranePatterns;
using namespace GerberTestSupport;
using Aperture = GerberApertureTemplate;

namespace {

struct CommandCase {
    const char* name;
    GerberDrawingCommand command;
    std::string item;
    std::string limits;
};

void PrintTo(const CommandCase& c, std::ostream* os) { *os << c.name; }

const std::vector<CommandCase> commandCases{
    {"LineIsMirroredAndKeepsNoWidth",
     GerberDrawingCommand::line({0, 5, 0}, {10, 5, 0}, Aperture::rectangle(3, 3)),
     "Line (0.0, -5.0, 0.0) to (10.0, -5.0, 0.0)", "x 0.0 to 10.0, y -5.0 to -5.0, z 0.0 to 0.0"},
    {"CircleBecomesAFullRing", GerberDrawingCommand::flash({3, 4, 0}, Aperture::circle(1.0)),
     "ArcFill (3.0, -4.0, 0.0) radii 0.0 to 0.5 angles 0.0 degrees to 360.0 degrees clockwise",
     "x 2.5 to 3.5, y -4.5 to -3.5, z 0.0 to 0.0"},
    {"CircleHoleIsTheInsideRadius", GerberDrawingCommand::flash({0, 0, 0}, Aperture::circle(1.0, 0.4)),
     "ArcFill (0.0, -0.0, 0.0) radii 0.2 to 0.5 angles 0.0 degrees to 360.0 degrees clockwise",
     "x -0.5 to 0.5, y -0.5 to 0.5, z 0.0 to 0.0"},
    {"WideRectangleFillsHorizontally", GerberDrawingCommand::flash({10, 20, 0}, Aperture::rectangle(4, 2, 1)),
     "Fill (8.0, -21.0, 0.0) size 4.0 x 2.0 x 0.0 horizontal", "x 8.0 to 12.0, y -21.0 to -19.0, z 0.0 to 0.0"},
    {"TallRectangleFillsVertically", GerberDrawingCommand::flash({10, 20, 0}, Aperture::rectangle(2, 4)),
     "Fill (9.0, -22.0, 0.0) size 2.0 x 4.0 x 0.0 vertical", "x 9.0 to 11.0, y -22.0 to -18.0, z 0.0 to 0.0"},
    {"SquareFillsVertically", GerberDrawingCommand::flash({0, 0, 0}, Aperture::rectangle(2, 2)),
     "Fill (-1.0, -1.0, 0.0) size 2.0 x 2.0 x 0.0 vertical", "x -1.0 to 1.0, y -1.0 to 1.0, z 0.0 to 0.0"},
    {"ObroundAlwaysFillsHorizontally", GerberDrawingCommand::flash({10, 20, 0}, Aperture::obround(2, 4, 0.5)),
     "Fill (9.0, -22.0, 0.0) size 2.0 x 4.0 x 0.0 horizontal", "x 9.0 to 11.0, y -22.0 to -18.0, z 0.0 to 0.0"},
    {"PolygonBecomesAPoint", GerberDrawingCommand::flash({3, 4, 0}, Aperture::polygon(5, 6, 30, 1)),
     "Point (3.0, -4.0, 0.0) for 0.0 milliseconds", "x 3.0 to 3.0, y -4.0 to -4.0, z 0.0 to 0.0"},
    {"NegativeSizesStillGiveAnOrderedBox", GerberDrawingCommand::flash({0, 0, 0}, Aperture::circle(-2.0)),
     "ArcFill (0.0, -0.0, 0.0) radii 0.0 to -1.0 angles 0.0 degrees to 360.0 degrees clockwise",
     "x -1.0 to 1.0, y -1.0 to 1.0, z 0.0 to 0.0"},
};

class GerberPatternBuilderCommands : public testing::TestWithParam<CommandCase> {};

TEST_P(GerberPatternBuilderCommands, MakeOneMirroredItemAndCoverItsExtent) {
    const CommandCase& c = GetParam();
    GerberPatternBuilder builder;
    builder.addDrawingCommand(c.command);
    ASSERT_EQ(builder.items().size(), 1u);
    EXPECT_EQ(describe(builder.items().front()), c.item);
    EXPECT_EQ(describe(builder.limits()), c.limits);
}

INSTANTIATE_TEST_SUITE_P(Cases, GerberPatternBuilderCommands, testing::ValuesIn(commandCases),
                         [](const testing::TestParamInfo<CommandCase>& caseInfo) { return std::string(caseInfo.param.name); });

} // namespace

TEST(GerberPatternBuilder, StartsEmptyInMillimetresAndTheLastUnitWins) {
    GerberPatternBuilder builder;
    EXPECT_EQ(builder.lengthUnit(), Zovudidova::DistanceUnit::millimeters);
    EXPECT_TRUE(builder.items().empty());
    EXPECT_EQ(builder.limits(), Limits{});
    builder.lengthUnitChanged(Zovudidova::DistanceUnit::inches);
    EXPECT_EQ(builder.lengthUnit(), Zovudidova::DistanceUnit::inches);
    builder.lengthUnitChanged(Zovudidova::DistanceUnit::millimeters);
    EXPECT_EQ(builder.lengthUnit(), Zovudidova::DistanceUnit::millimeters);
}

TEST(GerberPatternBuilder, PadsAtTheEdgeWidenTheLimitsByTheirExtent) {
    GerberPatternBuilder builder;
    builder.addDrawingCommand(GerberDrawingCommand::line({0, 0, 0}, {10, 0, 0}, Aperture::circle(0.1)));
    builder.addDrawingCommand(GerberDrawingCommand::flash({10, 0, 0}, Aperture::circle(4)));
    builder.addDrawingCommand(GerberDrawingCommand::flash({0, -3, 0}, Aperture::rectangle(2, 6)));
    builder.addDrawingCommand(GerberDrawingCommand::flash({-20, 0, 0}, Aperture::polygon(100, 8, 0)));
    EXPECT_EQ(describe(builder.limits()), "x -20.0 to 12.0, y -2.0 to 6.0, z 0.0 to 0.0");
    std::vector<std::string> kinds;
    for (const auto& item : builder.items()) {
        kinds.emplace_back(patternItemKindName(item->kind()));
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{"Line", "ArcFill", "Fill", "Point"}));
}
