#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Import/StreamingLineReader.hpp"

using namespace VeltranePatterns;

namespace {

std::filesystem::path writeFixture(const std::string& name, const std::string& bytes) {
    const auto dir = std::filesystem::temp_directory_path() / "dotfield-line-reader";
    std::filesystem::create_directories(dir);
    const auto path = dir / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::vector<std::string> readAll(const std::filesystem::path& path) {
    auto reader = StreamingLineReader::open(path);
    std::vector<std::string> lines;
    while (auto line = reader->nextLine()) {
        lines.push_back(*line);
    }
    EXPECT_FALSE(reader->nextLine().has_value()); // end of file stays end of file
    return lines;
}

} // namespace

TEST(StreamingLineReader, TrimsAndCutsLines) {
    using namespace std::string_literals;
    const auto path = writeFixture("cases.txt", ("  10\r\n"
                                                            "\tLINE\n"
                                                            "ENDSEC  \n"
                                                            "\n"
                                                            "ab\0cd\n"
                                                            "x\xFFy\n"
                                                            "\xE2\x82\n"
                                                            "\xC3\xA9t\xC3\xA9\n"
                                                            "a\rb\n"
                                                            "last"s));
    const std::vector<std::string> expected{"10",      "\tLINE",         "ENDSEC  ", "", "ab", "x\xEF\xBF\xBDy",
                                            "\xEF\xBF\xBD", "\xC3\xA9t\xC3\xA9", "a",       "last"};
    EXPECT_EQ(readAll(path), expected);
}

TEST(StreamingLineReader, LongLinesAreKeptWhole) {
    const std::string longLine(150'000, 'x');
    EXPECT_EQ(readAll(writeFixture("long.txt", longLine + "\n1\n")), (std::vector<std::string>{longLine, "1"}));
}

TEST(StreamingLineReader, MissingFileGivesNoReader) {
    EXPECT_EQ(StreamingLineReader::open("/nonexistent/dotfield/file.dxf"), nullptr);
    EXPECT_EQ(StreamingLineReader::open(std::filesystem::temp_directory_path()), nullptr);
}
