#include <gtest/gtest.h>

#include <string>

#include "Dotfield/Instrument/ImpedanceScan/BundledDelayCalibrationTable.hpp"
#include "Dotfield/Instrument/ImpedanceScan/DelayCalibrationTable.hpp"
#include "Dotfield/Instrument/ImpedanceScan/DelayCalibrationTableError.hpp"
#include "Dotfield/tests/Support/TestFiles.hpp"

namespace Dotfield {
namespace {

using Zovudidova::FrequencyUnit;
using Zovudidova::hertz;

TEST(DelayCalibrationTable, LinesBecomePointsInOrder) {
    const auto table = delayCalibrationTable("400000,12,500\r\n"
                                             "200000,0,0,extra,fields\n"
                                             "250000,255,-1000\n"
                                             " 401000 ,\t5, 0");
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table[0], (ImpedanceCalibrationValue{hertz(400500), 12}));
    EXPECT_EQ(table[1], (ImpedanceCalibrationValue{hertz(200000), 0}));
    EXPECT_EQ(table[2], (ImpedanceCalibrationValue{hertz(249000), 255}));
    EXPECT_EQ(table[3], (ImpedanceCalibrationValue{hertz(401000), 5}));
}

TEST(DelayCalibrationTable, LinesThatCannotBePointsAreSkipped) {
    const auto table = delayCalibrationTable("frequency,delay,offset\n"
                                             "\n"
                                             "300000,3\n"
                                             "300000,256,0\n"
                                             "300000,-1,0\n"
                                             "300000,2.5,0\n"
                                             "3e5,2,0\n"
                                             "0,2,0\n"
                                             "99999999999999999999,2,0\n"
                                             "9223372036854775807,2,9223372036854775807\n"
                                             "301000,7,0\n");
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].delay, 2);
    EXPECT_EQ(table[1], (ImpedanceCalibrationValue{hertz(301000), 7}));
}

TEST(DelayCalibrationTable, TheBundledTableCoversTheScanRangeAndMatchesItsFile) {
    EXPECT_EQ(std::string(bundledDelayCalibrationText()), testing::fileText(DOTFIELD_CALIBRATION_CSV));

    const auto table = bundledDelayCalibrationTable();
    ASSERT_EQ(table.size(), 401u);
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].frequency.value(FrequencyUnit::hertz), 200000.0 + 1000.0 * static_cast<double>(i));
        EXPECT_GE(table[i].delay, 1);
    }
}

TEST(DelayCalibrationTable, AnUnusableFileIsAnErrorNotAStop) {
    const auto folder = testing::freshTestFolder("ImpedanceScan");
    testing::writeText(folder / "Calibration.csv", "400000,12,500\n");
    EXPECT_EQ(loadDelayCalibrationTable(folder / "Calibration.csv").size(), 1u);

    testing::writeText(folder / "Empty.csv", "not,a,table\n");
    for (const auto& file : {folder / "Missing.csv", folder, folder / "Empty.csv"}) {
        try {
            loadDelayCalibrationTable(file);
            ADD_FAILURE() << "no error for " << file;
        } catch (const DelayCalibrationTableError& error) {
            EXPECT_EQ(error.location(), file);
            EXPECT_EQ(error.caseDescription().rfind("Delay calibration file is missing from the application bundle: " +
                                                        file.string() + " (",
                                                    0),
                      0u);
        }
    }
}

} // namespace
} // namespace Dotfield
