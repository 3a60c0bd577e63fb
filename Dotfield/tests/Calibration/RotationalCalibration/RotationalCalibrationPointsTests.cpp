// The rotational calibration's points as stored, and the texts the window shows.

#include <clocale>
#include <optional>

#include <gtest/gtest.h>

#include "Dotfield/Calibration/RotationalCalibration/RotationalCalibrationPoints.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"

namespace Dotfield::testing {
namespace {

using VeltranePatterns::Coordinate;

TEST(RotationalCalibrationPoints, TheAngleRunsFromTheFirstPointToTheSecondAndIsZeroWhileOneIsMissing) {
    const Coordinate a{10000, 10000, 300};
    const Coordinate b{50000, 12000, 310};
    struct Case {
        std::optional<Coordinate> first;
        std::optional<Coordinate> second;
        const char* text;
    };
    const Case cases[] = {
        {a, b, "Calibrated angle: 2.9 degrees"},
        // Reversed, the line points the other way.
        {b, a, "Calibrated angle: 182.9 degrees"},
        {Coordinate{0, 0, 0}, Coordinate{0, 5000, 0}, "Calibrated angle: 90.0 degrees"},
        {a, std::nullopt, "Calibrated angle: 0.0 degrees"},
        {std::nullopt, b, "Calibrated angle: 0.0 degrees"},
        {std::nullopt, std::nullopt, "Calibrated angle: 0.0 degrees"},
        {Coordinate{0, 0, 0}, Coordinate{1000, -1000, 0}, "Calibrated angle: -45.0 degrees"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(calibratedAngleText(RotationalCalibrationPoints{c.first, c.second}.rotation()), c.text);
    }
}

TEST(RotationalCalibrationPoints, TextsIgnoreTheUserLocale) {
    const char* previous = std::setlocale(LC_ALL, "de_DE.UTF-8");
    if (previous == nullptr) {
        GTEST_SKIP() << "no German locale on this machine";
    }
    const RotationalCalibrationPoints points{Coordinate{10000, 10000, 0}, Coordinate{50000, 12000, 0}};
    EXPECT_EQ(calibratedAngleText(points.rotation()), "Calibrated angle: 2.9 degrees");
    std::setlocale(LC_ALL, "C");
}

TEST(RotationalCalibrationPoints, AreReadFromTheirKeysAndAMissingOneShowsAsTheOrigin) {
    UserDefaults store{UserDefaults::CustomDictionary{}};
    const RotationalCalibrationPoints none = RotationalCalibrationPoints::read(store);
    EXPECT_FALSE(none.first.has_value());
    EXPECT_FALSE(none.second.has_value());
    EXPECT_EQ(rotationalCalibrationPointText(none.first), "(0, 0, 0)");

    store.setCoordinate(Coordinate{10000.4, 9999.6, -20.5}, rotationalCalibrationFirstPointKey);
    store.setString("not a point", rotationalCalibrationSecondPointKey);
    const RotationalCalibrationPoints read = RotationalCalibrationPoints::read(store);
    EXPECT_EQ(read.first, (Coordinate{10000.4, 9999.6, -20.5}));
    EXPECT_FALSE(read.second.has_value());
    EXPECT_EQ(rotationalCalibrationPointText(read.first), Coordinate(10000.4, 9999.6, -20.5).description());
}

} // namespace
} // namespace Dotfield::testing
