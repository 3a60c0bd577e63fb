// Photoplots as PCB programs write them: arcs, regions, macro pads, step and
// repeat, clear polarity, files without a unit, drill files, and the summary of
// what could not be used.

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GerberItemText.hpp"
#include "VeltranePatterns/Source/Import/Gerber/GerberImport.hpp"
#include "VeltranePatterns/Source/Import/PatternImportError.hpp"
#include "VeltranePatterns/Source/Items/Arc.hpp"
#include "VeltranePatterns/Source/Items/Polygon.hpp"

using namespace VeltranePatterns;
using namespace GerberTestSupport;

namespace {

// Six decimals, no "-0", so that results of trigonometry compare as text.
std::string rounded(double value) {
    double r = std::round(value * 1e6) / 1e6;
    if (r == 0.0) {
        r = 0.0;
    }
    std::string text = number(r);
    if (text.size() > 2 && text.compare(text.size() - 2, 2, ".0") == 0) {
        text.resize(text.size() - 2);
    }
    return text;
}

std::string roundedPoint(const Coordinate& c) { return "(" + rounded(c.x) + ", " + rounded(c.y) + ")"; }

std::string itemText(const PatternItemPtr& item) {
    if (const auto arc = patternItemAs<Arc>(item)) {
        return "Arc " + roundedPoint(arc->centerPoint()) + " r" + rounded(arc->radius()) + " " +
               rounded(arc->startAngle().value(Zovudidova::AngleUnit::degrees)) + ".." +
               rounded(arc->endAngle().value(Zovudidova::AngleUnit::degrees)) +
               (arc->direction() == RotationalDirection::clockwise ? " cw" : " ccw");
    }
    if (const auto polygon = patternItemAs<Polygon>(item)) {
        std::string text = "Polygon";
        for (const Coordinate& p : polygon->points()) {
            text += " " + roundedPoint(p);
        }
        return text;
    }
    if (const auto ring = patternItemAs<ArcFill>(item)) {
        return "Disc " + roundedPoint(ring->centerPoint()) + " r" + rounded(ring->outsideRadius());
    }
    return describe(item);
}

struct Import {
    std::vector<std::string> items;
    std::string limits;
    std::string output;
};

Import importText(const std::string& text) {
    testing::internal::CaptureStdout();
    const auto pattern = patternFromGerberFile(writeFile("photoplot.gbr", text));
    Import result;
    result.output = testing::internal::GetCapturedStdout();
    EXPECT_NE(pattern, nullptr);
    if (!pattern) {
        return result;
    }
    for (const auto& layer : pattern->solutionLayers()) {
        for (const auto& item : layer.patternItems()) {
            result.items.push_back(itemText(item));
        }
    }
    const auto& lo = pattern->minimumLimits();
    const auto& hi = pattern->maximumLimits();
    result.limits = "x " + rounded(lo.x) + " to " + rounded(hi.x) + ", y " + rounded(lo.y) + " to " + rounded(hi.y);
    return result;
}

const std::string header = "%FSLAX24Y24*%\n%MOMM*%\n%ADD10C,0.1*%\nD10*\n";

} // namespace

TEST(GerberPhotoplot, ItemsLimitsAndMessagesOfSmallPhotoplots) {
    struct Case {
        std::string name;
        std::string text;
        std::vector<std::string> items;
        std::string limits;
        std::string output;
    };
    const Case cases[] = {
        {"a quarter arc is an arc item, measured along its curve",
         header + "G75*\nX10000Y0D02*\nG03X0Y10000I-10000J0D01*\n",
         {"Arc (0, 0) r1 0..-90 ccw"},
         "x 0 to 1, y -1 to 0",
         ""},
        {"a shallow arc counts the top it passes, not its whole circle",
         "%FSLAX34Y34*%\n%MOMM*%\nG75*\nX-174524Y9998477D02*\nG02X174524Y9998477I174524J-9998477D01*\n",
         {"Arc (0, 0) r1000.000005 -91..-89 cw"},
         "x -17.4524 to 17.4524, y -1000.000005 to -999.8477",
         ""},
        {"a region is filled through the convex split",
         header + "G36*\nX0Y0D02*\nX20000D01*\nY10000D01*\nX10000D01*\nY20000D01*\nX0D01*\nY0D01*\nG37*\n",
         {"Polygon (0, 0) (2, 0) (2, -1) (1, -1)", "Polygon (1, -1) (1, -2) (0, -2) (0, 0)"},
         "x 0 to 2, y -2 to 0",
         ""},
        {"a rounded rectangle pad of a macro with expressions",
         header +
             "%AMRRECT*0 rounded rectangle: $1 corner radius, $2 half width, $3 half height*\n$4=$2-$1*\n$5=$3-$1*\n"
             "1,1,$1x2,$4,$5*\n1,1,$1x2,-$4,$5*\n1,1,$1x2,-$4,-$5*\n1,1,$1x2,$4,-$5*\n"
             "21,1,$2x2,$5x2,0,0,0*\n21,1,$4x2,$3x2,0,0,0*%\n%ADD11RRECT,0.25X1X0.5*%\nD11*\nX100000Y50000D03*\n",
         {"Disc (10.75, -5.25) r0.25", "Disc (9.25, -5.25) r0.25", "Disc (9.25, -4.75) r0.25",
          "Disc (10.75, -4.75) r0.25", "Polygon (9, -4.75) (11, -4.75) (11, -5.25) (9, -5.25)",
          "Polygon (9.25, -4.5) (10.75, -4.5) (10.75, -5.5) (9.25, -5.5)"},
         "x 9 to 11, y -5.5 to -4.5",
         ""},
        {"a macro that cannot be evaluated is named once",
         header + "%AMTHERMAL*7,0,0,1,0.8,0.1,45*%\n%ADD12THERMAL*%\nD12*\nX0Y0D03*\nX10000Y0D03*\nD10*\n"
                  "X20000Y0D03*\n",
         {"Disc (2, 0) r0.05"},
         "x 1.95 to 2.05, y -0.05 to 0.05",
         "Flashes of aperture D12 were not printed: its macro THERMAL cannot be evaluated (it uses primitive 7, "
         "which cannot be printed) (2 times, first on line 8)\n"},
        {"step and repeat gives every copy",
         header + "%SRX3Y2I5J5*%\nX0Y0D03*\n%SR*%\n",
         {"Disc (0, 0) r0.05", "Disc (5, 0) r0.05", "Disc (10, 0) r0.05", "Disc (0, -5) r0.05",
          "Disc (5, -5) r0.05", "Disc (10, -5) r0.05"},
         "x -0.05 to 10.05, y -5.05 to 0.05",
         ""},
        {"clear objects are left out and told once",
         header + "%LPC*%\nX0Y0D03*\nX10000Y0D03*\n%LPD*%\nX20000Y0D03*\n",
         {"Disc (2, 0) r0.05"},
         "x 1.95 to 2.05, y -0.05 to 0.05",
         "Clear polarity objects were not printed (2 times, first on line 6)\n"},
        {"a photoplot without a unit is read in millimetres, which is said",
         "%FSLAX24Y24*%\n%ADD10C,0.1*%\nD10*\nX10000Y0D03*\n",
         {"Disc (1, 0) r0.05"},
         "x 0.95 to 1.05, y -0.05 to 0.05",
         "The photoplot gives no unit; it was imported as millimetres.\n"},
        {"thousands of unreadable blocks give one line",
         header + [] {
             std::string blocks;
             for (int i = 0; i < 3000; ++i) {
                 blocks += "X1.5Y2.0D01*\n";
             }
             return blocks;
         }() + "X0Y0D03*\n",
         {"Disc (0, 0) r0.05"},
         "x -0.05 to 0.05, y -0.05 to 0.05",
         "Unreadable coordinates skipped (3000 times, first on line 5)\n"},
    };
    for (const Case& c : cases) {
        const Import result = importText(c.text);
        EXPECT_EQ(result.items, c.items) << c.name;
        EXPECT_EQ(result.limits, c.limits) << c.name;
        EXPECT_EQ(result.output, c.output) << c.name;
    }
}

TEST(GerberPhotoplot, DrillFilesAreRecognisedAndRefused) {
    for (const std::string text : {"M48\nMETRIC,TZ\nT1C0.800\n%\nT1\nX1000Y1000\nX2000Y1000\nM30\n",
                                   ";drill file\n; made by a PCB program\nM48\r\nINCH\r\nT01C0.035\r\n%\r\nM30\r\n"}) {
        testing::internal::CaptureStdout();
        try {
            patternFromGerberFile(writeFile("board.drl", text));
            ADD_FAILURE() << "a drill file gave a pattern";
        } catch (const PatternImportError& error) {
            EXPECT_EQ(error.reason(), "an Excellon drill file, not a Gerber photoplot");
        }
        // Nothing is said line by line.
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    }
}
