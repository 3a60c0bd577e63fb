#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Dotfield/Instrument/Errors/ApplicationSupportDirectoryError.hpp"
#include "Dotfield/Instrument/HelperFunctions/ApplicationSupportDirectory.hpp"
#include "Dotfield/Instrument/HelperFunctions/CommaSeparatedFields.hpp"
#include "Dotfield/Instrument/HelperFunctions/Statistics.hpp"

namespace Dotfield {
namespace {

namespace fs = std::filesystem;

TEST(CommaSeparatedFieldsTest, DropsEmptyPiecesAndKeepsFieldsUntrimmed) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases{
        {"1,,2,", {"1", "2"}}, {",a, b ,c\r", {"a", " b ", "c\r"}}, {"no commas", {"no commas"}}, {"", {}},
        {",,,", {}},
    };
    for (const auto& [line, fields] : cases) {
        SCOPED_TRACE(line);
        EXPECT_EQ(commaSeparatedFields(line), fields);
    }
}

TEST(SampleStandardDeviationTest, DividesTheSquaredDeviationsByNMinusOne) {
    EXPECT_DOUBLE_EQ(sampleStandardDeviation({2, 4, 4, 4, 5, 5, 7, 9}, 5.0), std::sqrt(32.0 / 7.0));
    EXPECT_TRUE(std::isnan(sampleStandardDeviation({3.0}, 3.0)));
    const double ofNothing = sampleStandardDeviation({}, 0.0);
    EXPECT_EQ(ofNothing, 0.0);
    EXPECT_TRUE(std::signbit(ofNothing));
}

TEST(TupleElementTest, IndexesFiveElementsAndStopsBeyond) {
    const std::array<double, 5> readings{1.5, 2.5, 3.5, 4.5, 5.5};
    EXPECT_EQ(tupleElement(readings, 4), 5.5);
    const std::array<int, 5> delays{10, 20, 30, 40, 50};
    EXPECT_EQ(tupleElement2(delays, 0), 10);
    EXPECT_DEATH(tupleElement(readings, 5), "Index out of bounds");
}

class ApplicationSupportDirectoryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* output = std::getenv("DOTFIELD_TEST_OUTPUT");
        root = fs::path(output ? output : fs::temp_directory_path().string()) /
               "ApplicationSupportDirectoryTest" /
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(root);
    }
    fs::path root;
};

TEST_F(ApplicationSupportDirectoryTest, CreatesTheFolderOnFirstUseAndReusesIt) {
    const fs::path dataFolder = root / "share";
    const fs::path scan = applicationSupportDirectory("dispenserstatus.scn", dataFolder);
    EXPECT_EQ(scan, dataFolder / "Dotfield" / "dispenserstatus.scn");
    EXPECT_TRUE(fs::is_directory(dataFolder / "Dotfield"));
    std::ofstream(scan) << "kept";
    EXPECT_EQ(applicationSupportDirectory("topographymap.csv", dataFolder),
              dataFolder / "Dotfield" / "topographymap.csv");
    EXPECT_TRUE(fs::exists(scan));
}

TEST_F(ApplicationSupportDirectoryTest, FailureIsAnErrorNotAStop) {
    fs::create_directories(root);
    std::ofstream(root / "Dotfield") << "a file where the folder belongs";
    EXPECT_THROW(applicationSupportDirectory("map.csv", root), ApplicationSupportDirectoryError);
    EXPECT_THROW(applicationSupportDirectory("../escape.csv", root / "other"),
                 ApplicationSupportDirectoryError);
    EXPECT_THROW(applicationSupportDirectory("/etc/passwd", root / "other"),
                 ApplicationSupportDirectoryError);
}

} // namespace
} // namespace Dotfield
