// The one table of document types: reader choice by extension, the open
// dialog's filters and the desktop file's MimeType line.

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
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

// The shared-mime file names the types the desktop does not know; its Gerber
// globs must be exactly the table's, or the file manager offers Dotfield for
// files it refuses (or hides ones it opens).
TEST(PatternFileTypes, SharedMimeFileGlobsTheTablesGerberExtensions) {
    std::ifstream file(DOTFIELD_MIME_FILE);
    std::stringstream text;
    text << file.rdbuf();
    const std::string xml = text.str();
    const auto gerberStart = xml.find("type=\"application/x-gerber\"");
    ASSERT_NE(gerberStart, std::string::npos);
    const std::string gerber = xml.substr(gerberStart, xml.find("</mime-type>", gerberStart) - gerberStart);

    std::set<std::string> globs;
    const std::regex glob(R"re(<glob pattern="\*\.([^"]+)"/>)re");
    for (std::sregex_iterator it(gerber.begin(), gerber.end(), glob), end; it != end; ++it) {
        globs.insert((*it)[1]);
    }
    std::set<std::string> table;
    for (const auto& type : patternFileTypes()) {
        if (std::string_view(type.typeName) == "Gerber") {
            table.insert(type.extensions.begin(), type.extensions.end());
        }
    }
    EXPECT_EQ(globs, table);
}
