// Writing a pattern file to disk, and polygons whose collinear vertices leave
// too few to print.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Items/PatternItems.hpp"
#include "VeltranePatterns/Source/XML/PatternXMLReader.hpp"

using namespace VeltranePatterns;
namespace fs = std::filesystem;

namespace {

fs::path scratchFolder(const char* name) {
    const fs::path folder = fs::temp_directory_path() / ("dotfield-xml-" + std::to_string(::getpid())) / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

std::string fileText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

Pattern samplePattern() {
    const auto line = std::make_shared<const Line>(Coordinate{1.5, 2, 0}, Coordinate{3, 4, 0});
    const auto polygon =
        std::make_shared<const Polygon>(std::vector<Coordinate>{{0, 0, 0}, {4, 0, 0}, {4, 3, 0}}, 2.0);
    return Pattern(Zovudidova::DistanceUnit::millimeters, 1, 1, 50, 10.0, std::nullopt, std::nullopt, std::nullopt,
                   true, false, false, {SolutionLayer({line, polygon}, "A"), SolutionLayer({line}, "B")}, {}, {});
}

} // namespace

// The file gets exactly the bytes of the in-memory document, replaces what was
// there, and leaves no temporary file behind.
TEST(PatternXMLFile, StreamedFileHoldsTheSameBytesAsTheDocument) {
    const fs::path folder = scratchFolder("same-bytes");
    const fs::path file = folder / "pattern.xml";
    std::ofstream(file) << "old contents";
    const Pattern pattern = samplePattern();

    pattern.writeXMLRepresentation(file, 1000, 30.0, {"B"});

    EXPECT_EQ(fileText(file), pattern.dataForXMLRepresentation(1000, 30.0, {"B"}));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    fs::remove_all(folder);
}

TEST(PatternXMLFile, UnwritableFolderThrowsAndKeepsNothing) {
    const fs::path folder = scratchFolder("missing");
    EXPECT_THROW(samplePattern().writeXMLRepresentation(folder / "absent" / "pattern.xml", 1, std::nullopt, {}),
                 fs::filesystem_error);
    fs::remove_all(folder);
}

// Collinear vertices are removed before the vertex count is checked: a part
// that is left with two vertices is not kept, and everything kept is written
// back and read again whole.
// An outline without area (all its vertices on one line, or nearly) is kept
// as it was written, and reads back the same after writing.
TEST(PatternXMLFile, PolygonsWithoutAreaAreKeptAsWritten) {
    for (const char* vertices :
         {"<vertex><x>0</x><y>0</y></vertex><vertex><x>1</x><y>1</y></vertex><vertex><x>2</x><y>2</y></vertex>",
          "<vertex><x>0</x><y>0</y></vertex><vertex><x>1</x><y>0.001</y></vertex><vertex><x>2</x><y>0</y></vertex>",
          "<vertex><x>0</x><y>0</y></vertex><vertex><x>2</x><y>0</y></vertex><vertex><x>2</x><y>2</y></vertex>"}) {
        const auto read = patternFromXMLData(std::string("<pattern><polygon>") + vertices +
                                             "<solution>A</solution></polygon></pattern>");
        ASSERT_TRUE(read) << vertices;
        ASSERT_EQ(read->solutionLayers().size(), 1u) << vertices;
        ASSERT_EQ(read->solutionLayers()[0].patternItems().size(), 1u) << vertices;
        const auto polygon = patternItemAs<Polygon>(read->solutionLayers()[0].patternItems()[0]);
        EXPECT_EQ(polygon->points().size(), 3u) << vertices;
        const auto again = patternFromXMLData(read->dataForXMLRepresentation(1, std::nullopt, {}));
        ASSERT_TRUE(again);
        ASSERT_EQ(again->solutionLayers().size(), 1u);
        ASSERT_EQ(again->solutionLayers()[0].patternItems().size(), 1u);
        EXPECT_EQ(patternItemAs<Polygon>(again->solutionLayers()[0].patternItems()[0])->points(), polygon->points());
    }
}
