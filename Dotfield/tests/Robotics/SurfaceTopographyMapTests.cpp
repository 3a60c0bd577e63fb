#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "Dotfield/Robotics/SurfaceTopographyMap.hpp"
#include "Dotfield/tests/Support/TestFiles.hpp"

namespace Dotfield {
namespace {

using VeltranePatterns::Coordinate;
using Row = SurfaceTopographyMap::Row;

void addPoints(SurfaceTopographyMap& map, const std::vector<Coordinate>& points) {
    for (const Coordinate& point : points) {
        map.addPoint(point);
    }
}

// Points at X, Y in {0, 1000, 2000}, row by row, with Z = X / 100.
void addThreeByThreeGrid(SurfaceTopographyMap& map) {
    for (double y : {0.0, 1000.0, 2000.0}) {
        for (double x : {0.0, 1000.0, 2000.0}) {
            map.addPoint({x, y, x / 100.0});
        }
    }
}

TEST(SurfaceTopographyMap, InterpolatesBetweenTheFourGridPointsAroundAQuery) {
    SurfaceTopographyMap map;
    addThreeByThreeGrid(map);
    struct Case {
        double x;
        double y;
        std::optional<double> height;
    };
    const Case cases[] = {
        {500, 500, 5.0},           {2000, 2000, 20.0},     {0, 0, 0.0},
        {1000, 2000, 10.0},        {500, 1000, 5.0},       {1500, 1999, 15.0},
        {2000.5, 0, std::nullopt}, {-1, 0, std::nullopt},  {0, 2000.5, std::nullopt},
        {NAN, 0, std::nullopt},    {0, NAN, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto height = map.height(c.x, c.y);
        ASSERT_EQ(height.has_value(), c.height.has_value()) << c.x << ", " << c.y;
        if (height) {
            EXPECT_DOUBLE_EQ(*height, *c.height) << c.x << ", " << c.y;
        }
    }
}

TEST(SurfaceTopographyMap, InterpolatesAlongTheOneAxisASingleRowOrColumnHas) {
    SurfaceTopographyMap row;
    addPoints(row, {{0, 500, 0}, {1000, 500, 10}, {2000, 500, 40}});
    EXPECT_EQ(row.height(1500, 500), 25.0);

    SurfaceTopographyMap column;
    addPoints(column, {{300, 0, 0}, {300, 1000, -10}});
    EXPECT_EQ(column.height(300, 250), -2.5);

    SurfaceTopographyMap point;
    point.addPoint({300, 400, 7.5});
    EXPECT_EQ(point.height(300, 400), 7.5);
    EXPECT_EQ(point.height(300, 401), std::nullopt);
}

TEST(SurfaceTopographyMap, AMapThatBreaksTheGridShapeAnswersNoHeight) {
    struct Case {
        const char* name;
        std::vector<Coordinate> points;
        double x;
        double y;
    };
    const Case cases[] = {
        {"short second row", {{0, 0, 1}, {1000, 0, 1}, {0, 1000, 1}}, 500, 500},
        {"more rows than there are", {{0, 0, 1}, {0, 1000, 1}, {0, 5000, 1}}, 0, 3000},
        {"rows closer than 1 um", {{0, 0, 1}, {0, 0.5, 1}}, 0, 0.25},
        {"columns closer than 1 um", {{0, 0, 1}, {0.5, 0, 1}}, 0.25, 0},
        {"spacing beyond 64-bit integers", {{0, 0, 1}, {1e300, 0, 1}}, 5e299, 0},
        {"query beyond 64-bit integers", {{0, 0, 1}, {1000, 0, 1}, {1e20, 0, 1}}, 1e20, 0},
        {"point before the first column", {{1000, 0, 1}, {2000, 0, 1}, {0, 0, 1}}, 0, 0},
        {"not a number as height", {{0, 0, NAN}, {1000, 0, 1}}, 500, 0},
    };
    for (const Case& c : cases) {
        SurfaceTopographyMap map;
        addPoints(map, c.points);
        EXPECT_EQ(map.height(c.x, c.y), std::nullopt) << c.name;
    }
}

TEST(SurfaceTopographyMap, RowsFormByTheYOfTheirFirstPoint) {
    SurfaceTopographyMap map;
    EXPECT_EQ(map.rowIndex(123.0), 0u);
    EXPECT_EQ(map.grid(), std::vector<Row>(1));
    EXPECT_EQ(map.minimumX(), std::nullopt);
    EXPECT_EQ(map.height(0, 0), std::nullopt);

    addPoints(map, {{0, 0, 5}, {0, 1000, -2}, {1000, 0, 3}, {0, 2000, 1}, {1000, 1000, 0}, {1000, -0.0, 9}});
    EXPECT_EQ(map.grid(), (std::vector<Row>{{{0, 0, 5}, {1000, 0, 3}, {1000, -0.0, 9}},
                                            {{0, 1000, -2}, {1000, 1000, 0}},
                                            {{0, 2000, 1}}}));
    EXPECT_EQ(map.rowIndex(1000), 1u);
    EXPECT_EQ(map.rowIndex(1500), std::nullopt);
    EXPECT_EQ(map.minimumX(), 0.0);
    EXPECT_EQ(map.maximumX(), 1000.0);
    EXPECT_EQ(map.minimumY(), 0.0);
    EXPECT_EQ(map.maximumY(), 2000.0);
    EXPECT_EQ(map.minimumZ(), -2.0);
    EXPECT_EQ(map.maximumZ(), 9.0);
    EXPECT_EQ(map.xGridSpacing(), 1000.0);
    EXPECT_EQ(map.yGridSpacing(), 1000.0);

    SurfaceTopographyMap column;
    addPoints(column, {{0, 0, 0}, {0, -250, 0}});
    EXPECT_EQ(column.xGridSpacing(), std::nullopt);
    EXPECT_EQ(column.yGridSpacing(), -250.0);
    SurfaceTopographyMap row;
    addPoints(row, {{0, 0, 0}, {10, 0, 0}});
    EXPECT_EQ(row.yGridSpacing(), std::nullopt);
}

TEST(SurfaceTopographyMap, EveryRowIsFoundAgainAmongThousandsAndNaNFormsNoRowToJoin) {
    SurfaceTopographyMap map;
    constexpr int rows = 3000;
    for (int k = 0; k < rows; ++k) {
        map.addPoint({0, k * 0.1, 0});
    }
    for (int k = rows - 1; k >= 0; --k) {
        map.addPoint({1, k * 0.1, static_cast<double>(k)});
    }
    const auto grid = map.grid();
    ASSERT_EQ(grid.size(), static_cast<std::size_t>(rows));
    for (int k = 0; k < rows; ++k) {
        EXPECT_EQ(map.rowIndex(k * 0.1), static_cast<std::size_t>(k));
        ASSERT_EQ(grid[k].size(), 2u);
        EXPECT_EQ(grid[k][1], Coordinate(1, k * 0.1, k));
    }

    map.addPoint({5, NAN, 5});
    map.addPoint({6, NAN, 6});
    EXPECT_EQ(map.grid().size(), static_cast<std::size_t>(rows + 2));
    EXPECT_EQ(map.rowIndex(NAN), std::nullopt);
}

class SurfaceTopographyMapFile : public ::testing::Test {
  protected:
    std::filesystem::path file = testing::freshTestFolder("Surface") / SurfaceTopographyMap::fileName;

    std::vector<Row> gridRead(const std::string& text) {
        testing::writeText(file, text);
        return SurfaceTopographyMap(file).grid();
    }
};

TEST_F(SurfaceTopographyMapFile, WritesOneLinePerPointInTheShortestNumberText) {
    SurfaceTopographyMap map;
    map.write(file);
    EXPECT_EQ(testing::fileText(file), "");

    map.addPoint({1000, 2000, -52.5});
    map.write(file);
    EXPECT_EQ(testing::fileText(file), "1000.0,2000.0,-52.5\n");

    addPoints(map, {{0.1, 1e-05, 1e300}, {3, 2000, 0}});
    map.write(file);
    EXPECT_EQ(testing::fileText(file), "1000.0,2000.0,-52.5\n3.0,2000.0,0.0\n0.1,1e-05,1e+300\n");
}

TEST_F(SurfaceTopographyMapFile, ReadsBackTheSameRowsAndBounds) {
    SurfaceTopographyMap map;
    addThreeByThreeGrid(map);
    addPoints(map, {{0.1, 1000, -1.0 / 3.0}, {-7e-12, 2500.25, 12345.678}});
    map.write(file);

    const SurfaceTopographyMap read(file);
    EXPECT_EQ(read.grid(), map.grid());
    EXPECT_EQ(read.minimumX(), map.minimumX());
    EXPECT_EQ(read.maximumX(), map.maximumX());
    EXPECT_EQ(read.minimumY(), map.minimumY());
    EXPECT_EQ(read.maximumY(), map.maximumY());
    EXPECT_EQ(read.minimumZ(), map.minimumZ());
    EXPECT_EQ(read.maximumZ(), map.maximumZ());
}

TEST_F(SurfaceTopographyMapFile, ReadsEveryLineTerminatorAndSkipsLinesItCannotUse) {
    const std::vector<Row> expected{{{1000, 2000, 5}, {3, 2000, 4}}, {{1, 2, 3}}, {{7, 8, 9}}};
    EXPECT_EQ(gridRead("1000.0,,2000.0,5.0\n"
                       "1, 2.0\n"
                       "1,2,3\n"
                       "1, 2, 3\n"
                       "1,2\n"
                       "x,y,z\n"
                       "3,2000,4,extra,fields\n"
                       "\n"
                       "7,8,9 \n"
                       "7,8,9"),
              expected);
    EXPECT_EQ(gridRead("1000.0,2000.0,5.0\r\n3,2000,4\r\n1,2,3\r\n7,8,9\r\n"), expected);
    EXPECT_EQ(gridRead("1000.0,2000.0,5.0\r3,2000,4\r1,2,3\r7,8,9"), expected);
    EXPECT_EQ(gridRead("# no points here\n"), std::vector<Row>(1));
}

TEST_F(SurfaceTopographyMapFile, SkipsALineTooLongToHoldAPoint) {
    const std::string longLine = "1,2,3," + std::string(SurfaceTopographyMap::maximumLineLength, '4') + "\n";
    EXPECT_EQ(gridRead(longLine + "5,6,7\n" + longLine), (std::vector<Row>{{{5, 6, 7}}}));
}

TEST_F(SurfaceTopographyMapFile, FailuresAreFileErrors) {
    const auto errorOf = [](const std::filesystem::path& path, std::size_t maximumPoints) {
        try {
            SurfaceTopographyMap map(path, maximumPoints);
        } catch (const std::filesystem::filesystem_error& error) {
            return error.code();
        }
        return std::error_code();
    };
    EXPECT_EQ(errorOf(file, 10), std::errc::no_such_file_or_directory);
    EXPECT_EQ(errorOf(file.parent_path(), 10), std::errc::is_a_directory);

    testing::writeText(file, "1,2,3\n4,5,\xc3\xa9\n");
    EXPECT_EQ(errorOf(file, 10), std::errc::illegal_byte_sequence);

    testing::writeText(file, "1,2,3\n4,5,6\nskipped\n7,8,9\n");
    EXPECT_EQ(errorOf(file, 3), std::error_code());
    EXPECT_EQ(errorOf(file, 2), std::errc::file_too_large);

    SurfaceTopographyMap map;
    map.addPoint({1, 2, 3});
    EXPECT_THROW(map.write(file.parent_path() / "missing" / "map.csv"), std::filesystem::filesystem_error);
    EXPECT_EQ(testing::fileText(file), "1,2,3\n4,5,6\nskipped\n7,8,9\n");
}

} // namespace
} // namespace Dotfield
