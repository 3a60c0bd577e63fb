#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Dotfield/Instrument/ImpedanceScan/DelayCalibrationTable.hpp"
#include "Dotfield/Instrument/ImpedanceScan/ImpedanceScanFile.hpp"
#include "Dotfield/tests/Support/TestFiles.hpp"

namespace Dotfield {
namespace {

using Zovudidova::hertz;
using Zovudidova::kilohertz;

// A redesigned electronics' sweep: 401 points, 200 to 600 kHz, delay 0.
std::vector<ImpedanceMeasurement> sweep() {
    std::vector<ImpedanceMeasurement> scan;
    for (int k = 0; k <= 400; ++k) {
        scan.push_back({800.0 + k * 0.25, k % 2 == 0 ? 0.0 : -0.5, {kilohertz(200.0 + k), 0}});
    }
    return scan;
}

class ImpedanceScanFile : public ::testing::Test {
protected:
    std::filesystem::path file = testing::freshTestFolder("ImpedanceScan") / impedanceScanFileName;
    std::vector<ImpedanceCalibrationValue> table = bundledDelayCalibrationTable();
};

TEST_F(ImpedanceScanFile, WritesEveryMeasurementInTheSavedFormat) {
    exportImpedanceScan({{812.5, 0.0, {kilohertz(200.0), 1}}, {1234.5678901, -0.25, {hertz(400999.9), 3}}}, file);
    EXPECT_EQ(testing::fileText(file), "Frequency, Impedance, Phase, Reactance, Resistance\n"
                                       "200000, 812.500000 , 0.000000, 0.000000, 0.000000\n"
                                       "400999, 1234.567890 , -0.250000, 0.000000, 0.000000\n");

    exportImpedanceScan(sweep(), file);
    const std::string text = testing::fileText(file);
    EXPECT_NE(text.find("\n600000, 900.000000 , 0.000000, 0.000000, 0.000000\n"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 402);
}

TEST_F(ImpedanceScanFile, ReadsBackWhatItWrote) {
    const auto scan = sweep();
    exportImpedanceScan(scan, file);
    const auto loaded = loadImpedanceScanFile(file, table);
    ASSERT_EQ(loaded.size(), scan.size());
    for (std::size_t i = 0; i < scan.size(); ++i) {
        EXPECT_EQ(loaded[i].magnitude, scan[i].magnitude);
        EXPECT_EQ(loaded[i].phase, scan[i].phase);
        EXPECT_EQ(loaded[i].measurementSettings.frequency, scan[i].measurementSettings.frequency);
        EXPECT_EQ(loaded[i].measurementSettings.delay, table[i].delay);
    }
}

TEST_F(ImpedanceScanFile, WholeHertzBeyondTheIntegersReadBackAsWritten) {
    // 9223372036854775807 Hz is the double 2^63, written "...808"; 1e20 Hz
    // has more digits than any 64-bit integer.
    const std::vector<double> frequencies{9223372036854775807.0, 1e20, -1e20, 0.0};
    std::vector<ImpedanceMeasurement> scan;
    for (const double f : frequencies) {
        scan.push_back({1.0, 0.0, {hertz(f), 0}});
    }
    exportImpedanceScan(scan, file);
    const std::string text = testing::fileText(file);
    EXPECT_NE(text.find("\n9223372036854775808, "), std::string::npos) << text;
    const auto loaded = loadImpedanceScanFile(file, table);
    ASSERT_EQ(loaded.size(), frequencies.size());
    for (std::size_t i = 0; i < frequencies.size(); ++i) {
        EXPECT_EQ(loaded[i].measurementSettings.frequency, hertz(frequencies[i])) << i;
    }
    // Writing what was read gives the same file.
    exportImpedanceScan(loaded, file);
    EXPECT_EQ(testing::fileText(file), text);
}

TEST_F(ImpedanceScanFile, FrequenciesComeFromTheFileAndDelaysFromTheTableWhileItLasts) {
    testing::writeText(file, "Frequency, Impedance, Phase, Reactance, Resistance\n"
                             "450000, 700.5 , 0.1, 0.000000, 0.000000\r\n"
                             "garbage line\n"
                             "x1, 2, 3\n"
                             "460000,  -12.25x , none\n"
                             "470000, 9\n"
                             "480000, 1e3 , +2\n");
    const std::vector<ImpedanceCalibrationValue> shortTable{{kilohertz(200), 4}, {kilohertz(201), 5}};
    const auto loaded = loadImpedanceScanFile(file, shortTable);
    const std::vector<ImpedanceMeasurement> expected{
        {700.5, 0.1, {hertz(450000), 4}},
        {-12.25, 0.0, {hertz(460000), 5}},
        {9.0, 0.0, {hertz(470000), 0}},
        {1000.0, 2.0, {hertz(480000), 0}},
    };
    EXPECT_EQ(loaded, expected);
    EXPECT_EQ(loadImpedanceScanFile(file, {}).size(), 4u);
}

TEST_F(ImpedanceScanFile, FailuresAreFileErrorsAndLeaveTheOldFile) {
    EXPECT_THROW(loadImpedanceScanFile(file, table), std::filesystem::filesystem_error);

    exportImpedanceScan({{812.5, 0.0, {kilohertz(200.0), 1}}}, file);
    const std::string before = testing::fileText(file);
    const auto missingFolder = file.parent_path() / "missing" / impedanceScanFileName;
    EXPECT_THROW(exportImpedanceScan(sweep(), missingFolder), std::filesystem::filesystem_error);
    // A folder in the file's place cannot be replaced.
    std::filesystem::create_directory(file.parent_path() / "folder");
    EXPECT_THROW(exportImpedanceScan(sweep(), file.parent_path() / "folder"), std::filesystem::filesystem_error);
    EXPECT_THROW(loadImpedanceScanFile(file.parent_path() / "folder", table), std::filesystem::filesystem_error);

    EXPECT_EQ(testing::fileText(file), before);
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 2u) << "a temporary file was left behind";
}

} // namespace
} // namespace Dotfield
