#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "GerberTestSupport.hpp"
#include "VeltranePatterns/Source/Import/Gerber/GerberParser.hpp"

using namespace VeltranePatterns;
using namespace GerberTestSupport;
using Zovudidova::DistanceUnit;

namespace {

struct ParseRun {
    std::vector<std::string> events;
    std::string output;
};

// Parses the text as a file and records every callback as one line of text.
ParseRun parseText(const std::string& name, const std::string& text) {
    auto parser = GerberParser::open(writeFile(name + ".gbr", text));
    EXPECT_NE(parser, nullptr);
    ParseRun run;
    if (!parser) {
        return run;
    }
    parser->lengthUnitChangedCallback = [&run](DistanceUnit unit) {
        run.events.push_back("unit " + std::string(Zovudidova::unitDescription(unit)));
    };
    parser->drawingCommandCallback = [&run](const GerberDrawingCommand& command) {
        run.events.push_back(describe(command));
    };
    testing::internal::CaptureStdout();
    parser->parse();
    run.output = testing::internal::GetCapturedStdout();
    return run;
}

struct LineCase {
    const char* name;
    std::string input;
    std::vector<std::string> events;
    std::string output = "";
};

// Names the case instead of dumping its bytes in test listings.
void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

const std::string origin = "(0.0, 0.0, 0.0)";
const std::string noAperture = "circle 0.0";

const std::vector<LineCase> lineCases{
    // Format statement and coordinates.
    {"DefaultFormatHasFiveDecimals",
     "X100000Y0D02*\nX200000Y-50000D01*\n",
     {"line (1.0, 0.0, 0.0) to (2.0, -0.5, 0.0) with circle 0.0"}},
    {"FormatSpecificationSetsDecimals",
     "%FSLAX24Y24*%\nX12500Y-3000D01*\n",
     {"line " + origin + " to (1.25, -0.3, 0.0) with circle 0.0"}},
    {"TrailingZerosOmitted", "%FSTAX24Y24*%\nX15Y-3D01*\n", {"line " + origin + " to (15.0, -30.0, 0.0) with circle 0.0"}},
    {"DigitCountsPerAxis", "%FSLAX36Y25*%\nX1000000Y100000D01*\n",
     {"line " + origin + " to (1.0, 1.0, 0.0) with circle 0.0"}},
    {"IncrementalNotation", "%FSLIX24Y24*%\nX10000Y10000D01*\nX10000D01*\n",
     {"line " + origin + " to (1.0, 1.0, 0.0) with circle 0.0",
      "line (1.0, 1.0, 0.0) to (2.0, 1.0, 0.0) with circle 0.0"}},
    {"ExtendedCommandsOnOneLine",
     "%FSLAX24Y24*MOIN*%\nX10000D01*\n",
     {"unit inches", "line " + origin + " to (1.0, 0.0, 0.0) with circle 0.0"}},
    {"ExtendedCommandOverTwoLines",
     "%FSLAX24Y24*\nMOIN*%\nX10000D01*\n",
     {"unit inches", "line " + origin + " to (1.0, 0.0, 0.0) with circle 0.0"}},
    {"SeveralBlocksOnOneLine",
     "%FSLAX24Y24*%%ADD10C,0.5*%\nD10*X30000Y0D02*X40000Y0D01*X40000Y10000D01*\n",
     {"line (3.0, 0.0, 0.0) to (4.0, 0.0, 0.0) with circle 0.5",
      "line (4.0, 0.0, 0.0) to (4.0, 1.0, 0.0) with circle 0.5"}},
    {"BlockOverTwoLines", "%FSLAX24Y24*%\nX10000\nY20000D01*\n",
     {"line " + origin + " to (1.0, 2.0, 0.0) with circle 0.0"}},
    {"GCodesBeforeDCodes",
     "%FSLAX24Y24*%\n%ADD10C,0.5*%\nG54D10*\nG01X20000Y0D01*\n",
     {"line " + origin + " to (2.0, 0.0, 0.0) with circle 0.5"}},
    {"OperationCodesAreModal",
     "%FSLAX24Y24*%\nX10000D01*\nX20000*\nY10000*\nX0Y0D02*\nX10000*\n",
     {"line " + origin + " to (1.0, 0.0, 0.0) with circle 0.0",
      "line (1.0, 0.0, 0.0) to (2.0, 0.0, 0.0) with circle 0.0",
      "line (2.0, 0.0, 0.0) to (2.0, 1.0, 0.0) with circle 0.0"}},
    {"BlockWithoutAnyOperationYetIsAParseError", "X100Y200*\nX100000D01*\n",
     {"line " + origin + " to (1.0, 0.0, 0.0) with circle 0.0"},
     "Parse error: no trailing draw command (line 1)\n"},
    {"SingleAxisBlocksKeepTheOtherAxis",
     "X5000D01*\nY5000D01*\nY5000X1000D01*\n",
     {"line " + origin + " to (0.05, 0.0, 0.0) with circle 0.0",
      "line (0.05, 0.0, 0.0) to (0.05, 0.05, 0.0) with circle 0.0",
      "line (0.05, 0.05, 0.0) to (0.01, 0.05, 0.0) with circle 0.0"}},

    // Circular interpolation.
    {"MultiQuadrantArc", "%FSLAX24Y24*%\nG75*\nX10000Y0D02*\nG03X0Y10000I-10000J0D01*\n",
     {"counter-clockwise arc (1.0, 0.0, 0.0) to (0.0, 1.0, 0.0) around " + origin + " with circle 0.0"}},
    {"SingleQuadrantArcFindsItsCentre", "%FSLAX24Y24*%\nG74*\nX10000Y0D02*\nG02X0Y-10000I10000J0D01*\n",
     {"clockwise arc (1.0, 0.0, 0.0) to (0.0, -1.0, 0.0) around " + origin + " with circle 0.0"}},
    {"ArcAndLineModesAreModal",
     "%FSLAX24Y24*%\nG75*G02*\nX10000Y0D02*\nX10000Y0I-10000J0D01*\nG01X20000Y0D01*\n",
     {"clockwise arc (1.0, 0.0, 0.0) to (1.0, 0.0, 0.0) around " + origin + " with circle 0.0",
      "line (1.0, 0.0, 0.0) to (2.0, 0.0, 0.0) with circle 0.0"}},

    // Regions.
    {"RegionIsOneFilledOutline",
     "%FSLAX24Y24*%\nG36*\nX0Y0D02*\nX10000Y0D01*\nX10000Y10000D01*\nX0Y10000D01*\nX0Y0D01*\nG37*\n",
     {"region (0.0, 0.0, 0.0) (1.0, 0.0, 0.0) (1.0, 1.0, 0.0) (0.0, 1.0, 0.0)"}},
    {"D02InARegionStartsAnotherOutline",
     "%FSLAX24Y24*%\nG36*\nX0Y0D02*\nX10000Y0D01*\nY10000D01*\nX50000Y0D02*\nX60000D01*\nY10000D01*\nG37*\n",
     {"region (0.0, 0.0, 0.0) (1.0, 0.0, 0.0) (1.0, 1.0, 0.0)",
      "region (5.0, 0.0, 0.0) (6.0, 0.0, 0.0) (6.0, 1.0, 0.0)"}},

    // Apertures, macros, selection and flashes.
    {"CircleFlash", "%ADD10C,0.5*%\nD10*\nX0Y0D03*\n", {"flash " + origin + " with circle 0.5"}},
    {"ApertureShapes",
     "%ADD11R,1.0X0.5X0.2*%\n%ADD12O,1.0X0.5*%\n%ADD13P,1.0X6X30*%\n%ADD15P,2X6.7X0X0.5*%\n"
     "D11*\nD03*\nD12*\nD03*\nD13*\nD03*\nD15*\nD03*\n",
     {"flash " + origin + " with rectangle 1.0 x 0.5 hole 0.2", "flash " + origin + " with obround 1.0 x 0.5",
      "flash " + origin + " with polygon 1.0 vertices 6 rotation 30.0",
      "flash " + origin + " with polygon 2.0 vertices 6 rotation 0.0 hole 0.5"}},
    {"MacroAperture",
     "%AMPAD*0 a disc and a bar*1,1,0.5,0,0*21,1,2,1,0,0,0*%\n%ADD11PAD*%\nD11*\nX0Y0D03*\n",
     {"flash " + origin + " with macro PAD 1 discs 1 outlines"}},
    {"MacroThatCannotBeEvaluatedSkipsItsFlashes",
     "%AMTHERM*7,0,0,1,0.8,0.1,45*%\n%ADD13THERM*%\nD13*\nD03*\nD03*\n", {},
     "Flashes of aperture D13 were not printed: its macro THERM cannot be evaluated (it uses primitive 7, which "
     "cannot be printed) (2 times, first on line 4)\n"},
    {"UnreadableApertureDefinitions",
     "%ADD10C,abc*%\n%ADD10C,0.5XabcX0.1*%\nD10*\nD03*\n%ADD14P,1.0X6*%\n%ADD20RECT1,0.5*%\n"
     "%ADD22C,0.5X0.2X1e999*%\nD22*\nD03*\n",
     {"flash " + origin + " with circle 0.5 hole 0.1", "flash " + origin + " with circle 0.5 hole 0.2"},
     "Aperture definition not read (2 times, first on line 1)\n"
     "Aperture D20 uses the undefined macro RECT1 (line 6)\n"},
    {"UndefinedSelectionFlashesTheDefault",
     "X100000Y100000D02*\nD15*\nD03*\n",
     {"flash (1.0, 1.0, 0.0) with circle 0.0"},
     "Undefined aperture selected (line 2)\n"},
    {"LoneOperationCodesOperateAtThePosition",
     "%ADD10C,0.5*%\nD10*\nX10000D02*\nD01*\nD02*\nD03*\n",
     {"line (0.1, 0.0, 0.0) to (0.1, 0.0, 0.0) with circle 0.5", "flash (0.1, 0.0, 0.0) with circle 0.5"}},
    {"CommandsKeepTheApertureTheyWereReadWith",
     "%ADD10C,1*%\nD10*\nD03*\n%ADD10C,2*%\nD03*\nD10*\nD03*\n",
     {"flash " + origin + " with circle 1.0", "flash " + origin + " with circle 1.0",
      "flash " + origin + " with circle 2.0"}},
    {"LinesCarryTheApertureInUse",
     "%ADD10R,0.2X0.1*%\nD10*\nX100000Y100000D01*\n",
     {"line " + origin + " to (1.0, 1.0, 0.0) with rectangle 0.2 x 0.1"}},

    // Step and repeat, polarity.
    {"StepAndRepeatCopiesTheBlocks",
     "%FSLAX24Y24*%%ADD10C,0.5*%\nD10*\n%SRX2Y2I1.0J2.0*%\nX0Y0D03*\n%SR*%\nX50000Y0D03*\n",
     {"flash " + origin + " with circle 0.5", "flash (1.0, 0.0, 0.0) with circle 0.5",
      "flash (0.0, 2.0, 0.0) with circle 0.5", "flash (1.0, 2.0, 0.0) with circle 0.5",
      "flash (5.0, 0.0, 0.0) with circle 0.5"}},
    {"ClearObjectsAreLeftOut",
     "%LPC*%\nX0Y0D03*\nX10000D01*\n%LPD*%\nX0D03*\n", {"flash " + origin + " with circle 0.0"},
     "Clear polarity objects were not printed (2 times, first on line 2)\n"},

    // Units.
    {"EveryUnitDeclarationIsReported",
     "%MOIN*%\n%MOMM*%\n%MOIN*%\nG71*\n",
     {"unit inches", "unit millimeters", "unit inches", "unit millimeters"}},

    // Blocks that cannot be used are told once per kind at the end.
    {"MovesReportNothing", "X100000Y200000D02*\nX0Y0D01*\n",
     {"line (1.0, 2.0, 0.0) to " + origin + " with circle 0.0"}},
    {"DecimalPointsDoNotRead", "X100000D02*\nX1.5Y2.0D01*\nD03*\n", {"flash (1.0, 0.0, 0.0) with circle 0.0"},
     "Unreadable coordinates skipped (line 2)\n"},
    {"BlanksAroundBlocksAreIgnored", "X100Y200D01* \n D03*\n",
     {"line " + origin + " to (0.001, 0.002, 0.0) with circle 0.0", "flash (0.001, 0.002, 0.0) with circle 0.0"}},
    {"ReadingGoesOnAfterTheEndOfFileCode", "X100000D01*\nM02*\nX200000D01*\n",
     {"line " + origin + " to (1.0, 0.0, 0.0) with circle 0.0",
      "line (1.0, 0.0, 0.0) to (2.0, 0.0, 0.0) with circle 0.0"}},
    {"CommentsAreSkipped", "G04 a comment with X, D01 and 100% in it*\nX100000D01*\n",
     {"line " + origin + " to (1.0, 0.0, 0.0) with circle 0.0"}},
    {"CoordinateLettersWithoutNumbers", "X100000D02*\nYD01*\nYYD03*\nD03*\n",
     {"flash (1.0, 0.0, 0.0) with circle 0.0"}, "Unreadable coordinates skipped (2 times, first on line 2)\n"},
    {"ApertureNamesTooShort", "%ADD,0.5*%\n%ADDC,0.5*%\n%ADD*%\n%ADD10,0.5*%\n%ADDC*%\nD03*\n",
     {"flash " + origin + " with circle 0.0"}, "Aperture definition not read (5 times, first on line 1)\n"},
    {"PolygonVertexCountWithoutIntegerValue",
     "%ADD10P,1XinfX0*%\n%ADD11P,1XnanX0*%\n%ADD12P,1X1e30X0*%\n%ADD13P,1X-1e19X0*%\n%ADD14P,1X-6.9X0*%\n"
     "D14*\nD03*\n",
     {"flash " + origin + " with polygon 1.0 vertices -6 rotation 0.0"},
     "Aperture definition not read (4 times, first on line 1)\n"},
    {"OverflowingNumbers",
     "%ADD10C,1e999*%\n%ADD11R,1X-1e400*%\n"
     "X99999999999999999999D01*\nX100000Y-9223372036854775809D01*\nD99999999999999999999*\n"
     "%FSLAX99999999999999999999Y24*%\nX100000D01*\n",
     {"line " + origin + " to (1.0, 0.0, 0.0) with circle 0.0"},
     "Aperture definition not read (2 times, first on line 1)\nUnreadable coordinates skipped (2 times, first on "
     "line 3)\nUnreadable block skipped (line 5)\nFormat statement not read (line 6)\n"},
};

class GerberParserLines : public testing::TestWithParam<LineCase> {};

TEST_P(GerberParserLines, ReportsWhatTheLinesDraw) {
    const LineCase& c = GetParam();
    const ParseRun run = parseText(c.name, c.input);
    EXPECT_EQ(run.events, c.events);
    EXPECT_EQ(run.output, c.output);
}

INSTANTIATE_TEST_SUITE_P(Cases, GerberParserLines, testing::ValuesIn(lineCases),
                         [](const testing::TestParamInfo<LineCase>& caseInfo) { return std::string(caseInfo.param.name); });

} // namespace

TEST(GerberParser, KeepsFormatAndUnitsAndResetsThePositionAtEachParse) {
    auto parser = GerberParser::open(writeFile("state.gbr", "%FSLAX36Y36*%\n%MOIN*%\n%ADD10C,0.5*%\nD10*\n"));
    ASSERT_NE(parser, nullptr);
    EXPECT_EQ(parser->defaultLayerName, "No Layer");
    parser->currentPosition = Coordinate{7.0, 7.0, 0.0};
    parser->apertureTemplates.insert_or_assign(99, GerberApertureTemplate::circle(9.0));
    parser->lengthUnitChangedCallback = [](DistanceUnit) {};
    parser->drawingCommandCallback = [](const GerberDrawingCommand&) {};
    parser->parse();

    EXPECT_EQ(parser->integerDigits, (GerberDigitCounts{3, 3}));
    EXPECT_EQ(parser->decimalDigits, (GerberDigitCounts{6, 6}));
    EXPECT_EQ(parser->units, DistanceUnit::inches);
    EXPECT_EQ(parser->currentPosition, Coordinate::zero);
    EXPECT_EQ(parser->apertureTemplates.count(99), 0u);
    ASSERT_EQ(parser->apertureTemplates.count(10), 1u);
    ASSERT_TRUE(parser->currentApertureTemplate.has_value());
    EXPECT_EQ(describe(*parser->currentApertureTemplate), "circle 0.5");
}

TEST(GerberParser, DigitCountsSetBeforeParsingAreUsed) {
    auto parser = GerberParser::open(writeFile("digits.gbr", "X5Y-15D01*\n"));
    ASSERT_NE(parser, nullptr);
    parser->decimalDigits = {1, 1};
    std::vector<std::string> events;
    parser->lengthUnitChangedCallback = [](DistanceUnit) {};
    parser->drawingCommandCallback = [&events](const GerberDrawingCommand& c) { events.push_back(describe(c)); };
    parser->parse();
    EXPECT_THAT(events, testing::ElementsAre("line (0.0, 0.0, 0.0) to (0.5, -1.5, 0.0) with circle 0.0"));
}

TEST(GerberParser, ParseReleasesItsCallbacks) {
    auto parser = GerberParser::open(writeFile("release.gbr", "%MOIN*%\nD03*\n"));
    ASSERT_NE(parser, nullptr);
    auto captured = std::make_shared<int>(0);
    parser->lengthUnitChangedCallback = [captured](DistanceUnit) { ++*captured; };
    parser->drawingCommandCallback = [captured](const GerberDrawingCommand&) { ++*captured; };
    parser->parse();
    EXPECT_EQ(*captured, 2);
    EXPECT_FALSE(parser->lengthUnitChangedCallback);
    EXPECT_FALSE(parser->drawingCommandCallback);
    EXPECT_EQ(captured.use_count(), 1);
}

TEST(GerberParser, MissingFileGivesNoParser) {
    EXPECT_EQ(GerberParser::open("/nonexistent/dotfield/board.gbr"), nullptr);
    EXPECT_EQ(GerberParser::open(scratchDirectory()), nullptr);
}

TEST(GerberParserDeathTest, ParsingWithoutCallbacksStopsTheProgram) {
    testing::FLAGS_gtest_death_test_style = "threadsafe";
    // A file of the source tree: the child process of a death test writes nothing.
    const auto path = std::filesystem::path(GERBER_FIXTURE_DIRECTORY) / "coupon.gbr";
    EXPECT_DEATH(
        {
            auto parser = GerberParser::open(path);
            parser->drawingCommandCallback = [](const GerberDrawingCommand&) {};
            parser->parse();
        },
        "length unit callback");
    EXPECT_DEATH(
        {
            auto parser = GerberParser::open(path);
            parser->lengthUnitChangedCallback = [](DistanceUnit) {};
            parser->parse();
        },
        "You forgot to set the drawing command callback before parsing");
}
