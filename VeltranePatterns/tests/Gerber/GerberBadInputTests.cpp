// Hostile and damaged photoplots: every one must be read to its end, giving
// what can be used and skipping the rest, without a crash or a hang, by the
// parser and by the import into a pattern alike.

#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GerberTestSupport.hpp"
#include "VeltranePatterns/Source/Import/Gerber/GerberImport.hpp"
#include "VeltranePatterns/Source/Import/Gerber/GerberParser.hpp"

using namespace VeltranePatterns;
using namespace GerberTestSupport;

namespace {

struct Outcome {
    std::vector<std::string> commands;
    int unitDeclarations = 0;
};

Outcome parseFile(const std::filesystem::path& path) {
    auto parser = GerberParser::open(path);
    EXPECT_NE(parser, nullptr);
    Outcome outcome;
    if (!parser) {
        return outcome;
    }
    parser->lengthUnitChangedCallback = [&outcome](Zovudidova::DistanceUnit) { ++outcome.unitDeclarations; };
    parser->drawingCommandCallback = [&outcome](const GerberDrawingCommand& command) {
        outcome.commands.push_back(describe(command));
    };
    testing::internal::CaptureStdout();
    parser->parse();

    // The import over the same file gives a pattern of one item per command, whose
    // limits hold numbers.
    const auto pattern = patternFromGerberFile(path);
    testing::internal::GetCapturedStdout();
    EXPECT_NE(pattern, nullptr);
    if (pattern) {
        std::size_t items = 0;
        for (const auto& layer : pattern->solutionLayers()) {
            items += layer.patternItems().size();
        }
        EXPECT_EQ(items, outcome.commands.size());
        for (const auto& triple : {pattern->minimumLimits(), pattern->maximumLimits()}) {
            EXPECT_FALSE(std::isnan(triple.x) || std::isnan(triple.y) || std::isnan(triple.z));
        }
    }
    return outcome;
}

std::string fixture(const std::string& name) {
    std::ifstream in(std::filesystem::path(GERBER_FIXTURE_DIRECTORY) / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(GerberBadInput, TruncatedFileGivesWhatWasReadBeforeTheCut) {
    const std::string whole = fixture("coupon.gbr");
    const std::size_t cut = whole.find("X80000Y30000D03*");
    ASSERT_NE(cut, std::string::npos);
    // Cut inside the block: "X80000Y300" has no D code and is reported as such.
    const Outcome outcome = parseFile(writeFile("truncated.gbr", whole.substr(0, cut + 10)));
    EXPECT_EQ(outcome.unitDeclarations, 2);
    ASSERT_EQ(outcome.commands.size(), 4u);
    EXPECT_EQ(outcome.commands.back(), "flash (5.0, -1.0, 0.0) with rectangle 2.0 x 1.0");
}

TEST(GerberBadInput, BinaryBytesAreSkipped) {
    std::string bytes;
    std::uint32_t state = 2463534242u;
    for (int i = 0; i < 1 << 20; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        bytes.push_back(static_cast<char>(state & 0xFF));
    }
    // Binary noise with a few readable lines spread through it.
    bytes.insert(1000, "\n%ADD10C,0.5*%\nD10*\nX100000Y0D03*\n");
    bytes.insert(500'000, "\nX0Y0D03*\n");
    // Blocks end at "*" and extended commands at "%" whatever the lines, so
    // noise may open a command that swallows what follows it; a line that opens
    // a parameter starts afresh.
    const Outcome outcome = parseFile(writeFile("binary.gbr", bytes));
    ASSERT_GE(outcome.commands.size(), 1u);
    EXPECT_EQ(outcome.commands.front(), "flash (1.0, 0.0, 0.0) with circle 0.5");
}

TEST(GerberBadInput, HugeLinesAreSkippedOrReadWhole) {
    const std::size_t huge = 10 * 1024 * 1024;
    const std::size_t large = 1024 * 1024;
    std::string file = "%ADD10C,0.5*%\nD10*\n";
    file += "X" + std::string(huge, '1') + "Y0D01*\n"; // an integer of ten million digits
    file += "%ADD11C," + std::string(large, '9') + "*%\n"; // a size of a million digits
    file += "%ADD12C,0.5" + std::string(large, 'X') + "*%\n"; // a million separators
    std::string manyParameters = "%ADD13R,";
    while (manyParameters.size() < large) {
        manyParameters += "1.5X";
    }
    file += manyParameters + "*%\n"; // a quarter of a million parameters
    file += "X" + std::string(large, 'D') + "*\n"; // nothing but D codes
    file += "D" + std::string(large, '0') + "3*\n"; // leading zeros do not change a D code
    file += "X100000Y0D03*\n";
    const Outcome outcome = parseFile(writeFile("huge-lines.gbr", file));
    EXPECT_EQ(outcome.commands, (std::vector<std::string>{"flash (0.0, 0.0, 0.0) with circle 0.5",
                                                          "flash (1.0, 0.0, 0.0) with circle 0.5"}));
}

TEST(GerberBadInput, AbsurdNumbersGiveFiniteCommandsOrNone) {
    const Outcome outcome = parseFile(writeFile("absurd.gbr",
                                                "%FSLAX-99Y99*%\n"
                                                "%ADD10C,1e308*%\n"
                                                "%ADD11C,-1e308X1e-320*%\n"
                                                "%ADD12R,infXinf*%\n"
                                                "%ADD13O,nanX1*%\n"
                                                "%ADD14P,1X9e18X0*%\n"
                                                "%ADD-9223372036854775808C,1*%\n"
                                                "D10*\nX9223372036854775807Y-9223372036854775808D03*\n"
                                                "D11*\nD03*\nD12*\nD03*\nD13*\nD03*\nD14*\nD03*\n"
                                                "D-9223372036854775808*\nD03*\n"));
    EXPECT_EQ(outcome.commands,
              (std::vector<std::string>{
                  "flash (9.223372036854775e+27, -9223372036.854776, 0.0) with circle 1e+308",
                  "flash (9.223372036854775e+27, -9223372036.854776, 0.0) with circle -1e+308 hole 1e-320",
                  "flash (9.223372036854775e+27, -9223372036.854776, 0.0) with circle 0.0",
                  "flash (9.223372036854775e+27, -9223372036.854776, 0.0) with circle 0.0",
                  "flash (9.223372036854775e+27, -9223372036.854776, 0.0) with polygon 1.0 vertices "
                  "9000000000000000000 rotation 0.0",
                  // An aperture number is unsigned: the definition is not read.
                  "flash (9.223372036854775e+27, -9223372036.854776, 0.0) with circle 0.0"}));
}
