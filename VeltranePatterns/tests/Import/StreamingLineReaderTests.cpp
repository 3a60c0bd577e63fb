#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Import/StreamingLineReader.hpp"

using namespace VeltranePatterns;

namespace {

// A file in a folder of its own for the running test, under the build's test output.
std::filesystem::path writeFixture(const std::string& name, const std::string& bytes) {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    const char* output = std::getenv("DOTFIELD_TEST_OUTPUT");
    const std::filesystem::path root = output != nullptr ? std::filesystem::path(output)
                                                         : std::filesystem::temp_directory_path() / "dotfield-tests";
    const auto dir = root / "line-reader" / (std::string(info->test_suite_name()) + "." + info->name());
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

// A file that ends its lines with a CR alone is read line by line, also where
// its lines cross the reader's chunks; in a file of LF lines a CR cuts its line.
TEST(StreamingLineReader, CarriageReturnsAloneEndLinesOfFilesWrittenSo) {
    EXPECT_EQ(readAll(writeFixture("cr.txt", "  0\rSECTION\r\r2\rENTITIES")),
              (std::vector<std::string>{"0", "SECTION", "", "2", "ENTITIES"}));
    std::string many;
    std::vector<std::string> expected;
    for (int i = 0; i < 30000; ++i) {
        expected.push_back(std::to_string(i));
        many += expected.back() + "\r";
    }
    EXPECT_EQ(readAll(writeFixture("many-cr.txt", many)), expected);
    EXPECT_EQ(readAll(writeFixture("lf.txt", "a\rb\nc\r\n")), (std::vector<std::string>{"a", "c"}));
}

TEST(StreamingLineReader, LongLinesAreKeptWhole) {
    const std::string longLine(150'000, 'x');
    EXPECT_EQ(readAll(writeFixture("long.txt", longLine + "\n1\n")), (std::vector<std::string>{longLine, "1"}));
}

TEST(StreamingLineReader, MissingFileGivesNoReader) {
    EXPECT_EQ(StreamingLineReader::open("/nonexistent/dotfield/file.dxf"), nullptr);
    EXPECT_EQ(StreamingLineReader::open(std::filesystem::temp_directory_path()), nullptr);
    // A device that never ends its input is no file to import.
    EXPECT_EQ(StreamingLineReader::open("/dev/zero"), nullptr);
}

// Lines of every kind, repeated until they have crossed the reader's chunk
// boundaries at many offsets (a CR-LF split between two chunks among them).
TEST(StreamingLineReader, LinesAcrossChunkBoundariesReadAsAnyOther) {
    const std::pair<std::string, std::string> kinds[] = {
        {"  10\r", "10"},
        {"\tLINE", "\tLINE"},
        {"ENDSEC  ", "ENDSEC  "},
        {"", ""},
        {"x\xFFy and a longer ASCII tail", "x\xEF\xBF\xBDy and a longer ASCII tail"},
        {"caf\xC3\xA9 \xE2\x82", "caf\xC3\xA9 \xEF\xBF\xBD"},
        {std::string(300, 'a') + "\r", std::string(300, 'a')},
        {"ab\0cd", "ab"},
    };
    std::string bytes;
    std::vector<std::string> expected;
    for (int i = 0; bytes.size() < 400'000; ++i) {
        const auto& [raw, line] = kinds[(i * 5 + i / 7) % std::size(kinds)];
        bytes += raw + "\n";
        expected.push_back(line);
    }
    const auto path = writeFixture("mixed.txt", bytes);
    EXPECT_EQ(readAll(path), expected);

    // Views give the same lines, each valid until the next call.
    auto reader = StreamingLineReader::open(path);
    std::vector<std::string> viewed;
    while (const auto line = reader->nextLineView()) {
        viewed.emplace_back(*line);
    }
    EXPECT_EQ(viewed, expected);
}

TEST(StreamingLineReader, RepairsEachIllFormedSequenceOnce) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"plain ASCII text longer than eight bytes", "plain ASCII text longer than eight bytes"},
        {"\xFF", "\xEF\xBF\xBD"},
        {"0123456\xFF" "89abcdefgh", "0123456\xEF\xBF\xBD" "89abcdefgh"},
        {"01234567\xFF" "9abcdefgh", "01234567\xEF\xBF\xBD" "9abcdefgh"},
        {"\xC3\xA9 is kept, \xC3 alone is not, nor \xE2\x82 at the end \xE2\x82",
         "\xC3\xA9 is kept, \xEF\xBF\xBD alone is not, nor \xEF\xBF\xBD at the end \xEF\xBF\xBD"},
        {"\xF0\x9F\x98\x80 four bytes, \xED\xA0\x80 a surrogate, \xC0\xAF overlong",
         "\xF0\x9F\x98\x80 four bytes, \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD a surrogate, "
         "\xEF\xBF\xBD\xEF\xBF\xBD overlong"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(repairUTF8(bytes), text) << bytes;
    }
}
