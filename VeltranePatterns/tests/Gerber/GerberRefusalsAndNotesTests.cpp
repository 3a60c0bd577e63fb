// What the operator is told about a photoplot: files that give nothing are
// refused with their reason, what is imported otherwise than drawn is said, a
// change of unit part-way is honoured, and a step and repeat that would make
// too many items is refused before it is expanded.

#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/resource.h>

#include "GerberItemText.hpp"
#include "VeltranePatterns/Source/Import/Gerber/GerberImport.hpp"
#include "VeltranePatterns/Source/Import/PatternImportError.hpp"

using namespace VeltranePatterns;
using namespace GerberTestSupport;

namespace {

// The reason the import gives, or "" when it gives a pattern.
std::string refusalOf(const std::string& bytes) {
    testing::internal::CaptureStdout();
    std::string reason;
    try {
        EXPECT_NE(importGerberFile(writeFile("refused.gbr", bytes)).pattern, nullptr);
    } catch (const PatternImportError& error) {
        reason = error.reason();
    }
    testing::internal::GetCapturedStdout();
    return reason;
}

ImportedPattern imported(const std::string& bytes) {
    testing::internal::CaptureStdout();
    ImportedPattern result = importGerberFile(writeFile("noted.gbr", bytes));
    testing::internal::GetCapturedStdout();
    return result;
}

std::vector<std::string> itemTexts(const Pattern& pattern) {
    std::vector<std::string> texts;
    for (const auto& item : pattern.solutionLayers().front().patternItems()) {
        texts.push_back(describe(item));
    }
    return texts;
}

const std::string header = "%FSLAX24Y24*%\n%MOMM*%\n%ADD10C,0.1*%\nD10*\n";

} // namespace

TEST(GerberRefusals, FilesThatGiveNothingAreRefusedWithTheirReason) {
    std::string noise;
    for (unsigned i = 0, state = 7; i < 4096; ++i) {
        state = state * 1103515245u + 12345u;
        noise.push_back(static_cast<char>((state >> 16) & 0xFF));
    }
    struct Case {
        std::string name;
        std::string bytes;
        std::string reason;
    };
    const Case cases[] = {
        {"empty", "", "the file is empty"},
        {"blank lines only", "\n  \n\r\n", "the file is empty"},
        {"declarations only", header, "no drawing command that can be printed"},
        {"text that is no photoplot", "Dear customer,\nplease find the board attached.\n",
         "no drawing command that can be printed (The file ends inside a block that has no closing \"*\" "
         "(line 1))"},
        {"truncated inside a macro", header + "%AMBOX*\n21,1,1,1,0,0,0*\n",
         "no drawing command that can be printed (The file ends inside the aperture macro BOX, which was not "
         "read (line 5))"},
        {"without terminators", "%FSLAX24Y24*%\n%ADD10C,0.1*%\nD10\nX0Y0D03\nX100Y0D03\n",
         "no drawing command that can be printed (The file ends inside a block that has no closing \"*\" "
         "(line 3))"},
        {"only clear objects", header + "%LPC*%\nX0Y0D03*\n",
         "no drawing command that can be printed (Clear polarity objects were not printed (line 6))"},
        {"drill file without its M48 header", "METRIC,TZ\nT1C0.800\nT1\nX1000Y1000\nX2000Y1000\nM30\n",
         "an Excellon drill file, not a Gerber photoplot"},
        {"drill file in inches, tools selected only", "INCH\nT01\nX001000Y001000\nT02\nX002000Y001000\nM30\n",
         "an Excellon drill file, not a Gerber photoplot"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(refusalOf(c.bytes), c.reason) << c.name;
    }
    // Binary noise gives a reason too, whatever the noise happened to hold.
    EXPECT_EQ(refusalOf(noise).rfind("no drawing command that can be printed", 0), 0u);
}

TEST(GerberNotes, NegativeImageIsImportedAndSaidPlainly) {
    const auto result = imported("%IPNEG*%\n" + header + "X10000Y0D03*\n");
    ASSERT_NE(result.pattern, nullptr);
    EXPECT_EQ(itemTexts(*result.pattern).size(), 1u);
    EXPECT_EQ(result.notes, (std::vector<std::string>{"The image is negative (%IPNEG*%) but was imported as "
                                                      "positive: what prints is what the photoplot leaves clear "
                                                      "(line 1)"}));
    // A positive image says nothing.
    EXPECT_TRUE(imported("%IPPOS*%\n" + header + "X10000Y0D03*\n").notes.empty());
}

TEST(GerberNotes, AChangeOfUnitPartWayCountsFromWhereItStands) {
    // Millimetres first: a pad of 0.1 at x 1; then inches: a pad of 0.1 inch at x 1 inch.
    const auto result = imported(header + "X10000Y0D03*\n%MOIN*%\n%ADD11C,0.1*%\nD11*\nX10000Y0D03*\nD10*\n"
                                          "X20000Y0D01*\nG70*\nX30000Y0D01*\n");
    ASSERT_NE(result.pattern, nullptr);
    EXPECT_EQ(result.pattern->lengthUnit(), Zovudidova::DistanceUnit::millimeters);
    EXPECT_EQ(itemTexts(*result.pattern),
              (std::vector<std::string>{
                  "ArcFill (1.0, -0.0, 0.0) radii 0.0 to 0.05 angles 0.0 degrees to 360.0 degrees clockwise",
                  "ArcFill (25.4, -0.0, 0.0) radii 0.0 to 1.27 angles 0.0 degrees to 360.0 degrees clockwise",
                  // The aperture defined in millimetres keeps its size.
                  "Line (25.4, -0.0, 0.0) to (50.8, -0.0, 0.0)",
                  "Line (50.8, -0.0, 0.0) to (76.19999999999999, -0.0, 0.0)",
              }));
    EXPECT_TRUE(result.notes.empty());
}

// Ten flashes a thousand times by a thousand: ten million items on paper.
TEST(GerberRefusals, StepAndRepeatBeyondTheItemCapIsRefusedBeforeItIsExpanded) {
    std::string file = header + "%SRX1000Y1000I1J1*%\n";
    for (int i = 0; i < 10; ++i) {
        file += "X" + std::to_string(i * 1000) + "Y0D03*\n";
    }
    file += "%SR*%\n";
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(refusalOf(file), "the step and repeat on line 5 would create 10000000 items, more than the 1000000 "
                               "one import may create");
    const auto elapsed = std::chrono::steady_clock::now() - start;
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(elapsed, std::chrono::seconds(2));
    // Peak resident size in kilobytes.
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 200L * 1024);
}
