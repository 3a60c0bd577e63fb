#pragma once
// Surface heights measured on a regular X/Y grid, with the height anywhere
// inside the measured area by bilinear interpolation between the four grid
// points around it, and the map's text file.
//
// A row holds the points of one Y, identified by the Y of its first point; rows
// keep the order in which their first point came, points within a row the
// order in which they were added. The lookup relies on the grid shape the grid
// walk produces (rows of equal length in the same X order, equal spacings of at
// least 1 µm); on a map that breaks it, it answers no height rather than read
// outside the grid.
//
// File "topographymap.csv": ASCII, one line "x,y,z" per point in microns, each
// number in the shortest text that reads back as the same double, every line
// ended by a line feed, rows in order. Reading also takes CR and CR LF line
// ends, empty fields and fields after the third, and skips lines it cannot use.
//
// Threads: one writer (the topography window adding points) and any number of
// readers (printing on the robot queue) may use one map at the same time.

#include <cstddef>
#include <filesystem>
#include <mutex>
#include <optional>
#include <vector>

#include "Dotfield/Robotics/SurfaceTopographyMapRowIndex.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

class SurfaceTopographyMap {
  public:
    using Coordinate = VeltranePatterns::Coordinate;
    using Row = std::vector<Coordinate>;

    // The file's name in the application's folder.
    static constexpr const char* fileName = "topographymap.csv";
    // The most points a map file may hold; a longer file is refused.
    static constexpr std::size_t maximumPointsInFile = 10'000'000;
    // Lines longer than this cannot hold a point worth reading; they are skipped.
    static constexpr std::size_t maximumLineLength = 64 * 1024;

    // An empty map: one empty row, no bounds.
    SurfaceTopographyMap();
    // The map of a file, rebuilt point by point in the file's order. Throws
    // std::filesystem::filesystem_error when the file cannot be read, is not
    // ASCII text (illegal_byte_sequence) or holds more than maximumPoints
    // points (file_too_large).
    explicit SurfaceTopographyMap(const std::filesystem::path& file,
                                  std::size_t maximumPoints = maximumPointsInFile);

    SurfaceTopographyMap(const SurfaceTopographyMap&) = delete;
    SurfaceTopographyMap& operator=(const SurfaceTopographyMap&) = delete;

    // Appends the point to the row of its Y (a new row when there is none)
    // and widens the bounds.
    void addPoint(const Coordinate& point);

    // 0 while the first row is empty; else the last row whose first point has
    // exactly this Y, or nothing.
    std::optional<std::size_t> rowIndex(double y) const;

    // The interpolated height at (x, y); nothing outside the bounds (which
    // are inclusive), for NaN, and wherever the grid's shape gives no cell.
    std::optional<double> height(double x, double y) const;

    // Writes the map file, replacing any earlier one atomically. Throws
    // std::filesystem::filesystem_error.
    void write(const std::filesystem::path& file) const;

    // The first row's second X minus its first; nothing with fewer than two points.
    std::optional<double> xGridSpacing() const;
    // The second row's first Y minus the first row's; nothing with fewer than two rows.
    std::optional<double> yGridSpacing() const;

    // A copy of the rows.
    std::vector<Row> grid() const;
    // How many rows there are (1 for an empty map), and a copy of one row
    // (empty beyond the last), for readers that need one row of a large map.
    std::size_t rowCount() const;
    Row row(std::size_t index) const;
    // True while no point has been added.
    bool isEmpty() const;
    std::optional<double> minimumX() const;
    std::optional<double> maximumX() const;
    std::optional<double> minimumY() const;
    std::optional<double> maximumY() const;
    std::optional<double> minimumZ() const;
    std::optional<double> maximumZ() const;

  private:
    struct Bounds {
        double minimum;
        double maximum;
    };

    // The same without the lock, for callers that hold it or own the map alone.
    void addPointUnlocked(const Coordinate& point);
    std::optional<std::size_t> rowIndexUnlocked(double y) const;
    // Adds the points of the file's lines; the map is not shared yet.
    void readFile(const std::filesystem::path& file, std::size_t maximumPoints);
    // One bound of one axis, read under the lock.
    std::optional<double> bound(const std::optional<Bounds>& axis, double Bounds::*end) const;

    mutable std::mutex mutex_;
    std::vector<Row> grid_;
    // The last row whose first point has each Y.
    SurfaceTopographyMapRowIndex rowsByY_;
    std::optional<Bounds> x_;
    std::optional<Bounds> y_;
    std::optional<Bounds> z_;
};

} // namespace Dotfield
