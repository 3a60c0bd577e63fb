// The one table of document types: reader choice by extension, the open
// dialog's filters and the desktop file's MimeType line.

#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "Dotfield/Printing/Document/PatternFileTypes.hpp"

using namespace Dotfield;

TEST(PatternFileTypes, ChoosesTheReaderByExtensionWithoutRegardToCase) {
    const std::pair<const char*, const char*> cases[] = {
        {"a.pattern", "Pattern"}, {"b.XML", "Pattern"}, {"c.dxf", "DXF"},   {"d.Dxf", "DXF"},
        {"e.gbr", "Gerber"},      {"f.GKO", "Gerber"},  {"g.art", "Gerber"}, {"h.gbx", "Gerber"},
        {"i.pho", "Gerber"},      {"j.gtp", "Gerber"},  {"k.txt", ""},      {"noextension", ""},
        {".dxf", ""},             {"l.", ""},
    };
    for (const auto& [file, type] : cases) {
        const auto found = patternTypeNameForFile(file);
        EXPECT_EQ(found.value_or(""), type) << file;
    }
}

TEST(PatternFileTypes, OpenDialogAndDesktopFileComeFromTheTable) {
    const auto filters = patternOpenDialogFilters();
    ASSERT_EQ(filters.size(), 4u);
    EXPECT_EQ(filters[2], "DXF (*.dxf *.DXF)");
    EXPECT_NE(filters[0].find("*.gko"), std::string::npos) << filters[0];
    EXPECT_NE(filters[1].find("*.XML"), std::string::npos) << filters[1];

    std::ifstream desktop(DOTFIELD_DESKTOP_FILE);
    std::string line;
    std::string mimeTypes;
    while (std::getline(desktop, line)) {
        if (line.starts_with("MimeType=")) {
            mimeTypes = line.substr(9);
        }
    }
    EXPECT_EQ(mimeTypes, patternDesktopMimeTypes());
}
