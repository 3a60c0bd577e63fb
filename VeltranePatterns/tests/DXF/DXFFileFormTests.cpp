// Files that are no text DXF, or that give nothing to print, fail the import
// with a reason; line ends and code padding that writers use are accepted; what
// is left out is summed up in one line per kind.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Import/DXF/DXFPatternImport.hpp"
#include "VeltranePatterns/Source/Import/PatternImportError.hpp"
#include "VeltranePatterns/tests/DXF/DXFTestSupport.hpp"

using namespace VeltranePatterns;
using namespace DXFTestSupport;

namespace {

const Groups oneLine{{0, "LINE"}, {8, "L"}, {10, "0"}, {20, "0"}, {11, "3"}, {21, "4"}};

Groups join(Groups first, const Groups& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::string utf16(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

// The reason the import gives, or "" when it gives a pattern.
std::string importOutcome(const std::string& bytes, std::size_t* items = nullptr) {
    testing::internal::CaptureStdout();
    std::string outcome;
    try {
        const auto pattern = patternFromDXFFile(writeTemporaryFile("drawing.dxf", bytes));
        EXPECT_NE(pattern, nullptr);
        if (pattern && items != nullptr) {
            *items = 0;
            for (const auto& layer : pattern->solutionLayers()) {
                *items += layer.patternItems().size();
            }
        }
    } catch (const PatternImportError& error) {
        outcome = error.reason();
    }
    testing::internal::GetCapturedStdout();
    return outcome;
}

} // namespace

TEST(DXFFileForm, ReasonsForFilesThatCannotBeImported) {
    const std::string text = entitiesSection(oneLine);
    struct Case {
        std::string name;
        std::string bytes;
        std::string reason;
    };
    const Case cases[] = {
        {"text DXF", text, ""},
        {"CR-only line ends", replaceAll(text, "\n", "\r"), ""},
        {"CR LF line ends", replaceAll(text, "\n", "\r\n"), ""},
        {"group codes padded with blanks", replaceAll(replaceAll(text, "0\nLINE", "  0  \nLINE"), "8\nL", "8 \nL"),
         ""},
        {"empty file", "", "not a text DXF file"},
        {"binary DXF",
         std::string("Binary DXF\r\n\x1a\0", 14) + std::string("\0\x02\0SECTION\0\x02\0ENTITIES\0", 22),
         "not a text DXF file"},
        {"drawing of another format", std::string("AC1032\0\0\0\0\x01\x02\x03\xff\xfe", 15) + std::string(200, '\x7f'),
         "not a text DXF file"},
        {"UTF-16 text", utf16(text), "not a text DXF file"},
        {"numbers with a decimal comma", replaceAll(replaceAll(text, "\n3\n", "\n3,5\n"), "\n4\n", "\n4,5\n"),
         "2 values are not DXF numbers, the first on line 14: \"3,5\""},
        {"only text and dimensions",
         entitiesSection({{0, "TEXT"}, {10, "0"}, {20, "0"}, {1, "label"}, {0, "DIMENSION"}, {10, "1"}, {20, "1"}}),
         "no entity that can be printed (1 text was not imported)"},
        {"an empty drawing", entitiesSection({}), "no entity that can be printed"},
    };
    for (const Case& c : cases) {
        std::size_t items = 0;
        EXPECT_EQ(importOutcome(c.bytes, &items), c.reason) << c.name;
        if (c.reason.empty()) {
            EXPECT_EQ(items, 1u) << c.name;
        }
    }
}

// One line per kind, however many entities it concerns; a unit other than
// millimetres is named once, and the numbers stay as they are.
TEST(DXFFileForm, MessagesSumUpWhatWasLeftOutAndTheUnit) {
    const Groups ellipse{{0, "ELLIPSE"}, {10, "0"}, {20, "0"}, {11, "2"}, {21, "0"}, {40, "0.5"}, {41, "0"},
                         {42, "6.28"}};
    const Groups fitSpline{{0, "SPLINE"}, {11, "0"}, {21, "0"}, {11, "1"}, {21, "1"}};
    const Groups controlSpline{{0, "SPLINE"}, {10, "0"}, {20, "0"}, {10, "1"}, {20, "1"}, {40, "0"}};
    Groups entities = oneLine;
    for (const Groups* part : {&ellipse, &ellipse, &fitSpline, &ellipse, &controlSpline, &controlSpline}) {
        entities.insert(entities.end(), part->begin(), part->end());
    }
    const auto header = [](const std::string& units) {
        return dxfText({{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1015"}, {9, "$INSUNITS"}, {70, units},
                        {9, "$EXTMIN"}, {10, "0"}, {20, "0"}, {0, "ENDSEC"}});
    };
    struct Case {
        std::string name;
        std::string text;
        std::string output;
    };
    const Case cases[] = {
        {"left out entities", entitiesSection(entities),
         "3 ellipses were not imported\n3 splines were not imported\n"},
        {"one of a kind", entitiesSection(join(oneLine, ellipse)), "1 ellipse was not imported\n"},
        {"inches", header("1") + entitiesSection(oneLine),
         "The drawing's units are inches; it was imported as millimetres.\n"},
        {"metres", header("6") + entitiesSection(oneLine),
         "The drawing's units are metres; it was imported as millimetres.\n"},
        {"millimetres", header("4") + entitiesSection(oneLine), ""},
        {"unitless", header("0") + entitiesSection(oneLine), ""},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStdout();
        const auto pattern = patternFromDXFFile(writeTemporaryFile("drawing.dxf", c.text));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.output) << c.name;
        ASSERT_NE(pattern, nullptr) << c.name;
        EXPECT_EQ(pattern->lengthUnit(), Zovudidova::DistanceUnit::millimeters) << c.name;
        EXPECT_EQ(pattern->maximumLimits(), (Pattern::Triple{3, 0, 0})) << c.name;
    }
}
