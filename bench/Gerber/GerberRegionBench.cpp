// Filling a copper pour: one region of about 60,000 vertices, half of them in
// 450 fingers with round ends along its top (the pour between parallel
// tracks), half in 450 round clearances inside it, joined to its edge by
// cut-in lines as PCB programs write a pour without holes; against a region of
// the same area given as one rectangle, in the same run. The pour's import time over the
// rectangle's shows what filling the large outline costs; the parser alone
// over the pour shows what reading it costs.

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "VeltranePatterns/Source/Import/Gerber/GerberImport.hpp"
#include "bench/Patterns/ThreadProcessorTime.hpp"
#include "VeltranePatterns/Source/Import/Gerber/GerberParser.hpp"
#include "VeltranePatterns/Source/ToolPaths/RegionFill.hpp"

using namespace VeltranePatterns;

namespace {

constexpr double pi = 3.141592653589793;
constexpr double boardWidth = 100.0;
constexpr double boardHeight = 80.0;
constexpr int rows = 15;
constexpr int columns = 30;
constexpr int fingers = 865;
constexpr int segmentsPerCircle = 64;
constexpr double clearanceRadius = 0.8;
constexpr double fingerLength = 3.0;

struct Point {
    double x;
    double y;
};

// The pour's contour: counter-clockwise around the board, over the fingers
// along its top from right to left, and on the way down its left edge, one
// cut-in per row that runs over the upper halves of the row's clearances and
// back under their lower halves.
std::vector<Point> copperPourContour() {
    std::vector<Point> contour{{0, 0}, {boardWidth, 0}};
    const auto arc = [&contour](double cx, double cy, double radius, double from, double to, int steps) {
        for (int k = 0; k <= steps; ++k) {
            const double a = from + (to - from) * k / steps;
            contour.push_back({cx + radius * std::cos(a), cy + radius * std::sin(a)});
        }
    };
    const double fingerPitch = boardWidth / fingers;
    const double fingerRadius = fingerPitch * 0.35;
    for (int finger = fingers - 1; finger >= 0; --finger) {
        const double center = (finger + 0.5) * fingerPitch;
        contour.push_back({center + fingerRadius, boardHeight});
        arc(center, boardHeight + fingerLength, fingerRadius, 0.0, pi, segmentsPerCircle / 2);
        contour.push_back({center - fingerRadius, boardHeight});
    }
    const double rowPitch = boardHeight / (rows + 1);
    const double columnPitch = boardWidth / (columns + 1);
    for (int row = rows; row >= 1; --row) {
        const double y = row * rowPitch;
        contour.push_back({0, y});
        for (int column = 1; column <= columns; ++column) {
            arc(column * columnPitch, y, clearanceRadius, pi, 0.0, segmentsPerCircle / 2);
        }
        for (int column = columns; column >= 1; --column) {
            arc(column * columnPitch, y, clearanceRadius, 2 * pi, pi, segmentsPerCircle / 2);
        }
        contour.push_back({0, y});
    }
    return contour;
}

double area(const std::vector<Point>& contour) {
    double twice = 0.0;
    for (std::size_t i = 0; i < contour.size(); ++i) {
        const Point& a = contour[i];
        const Point& b = contour[(i + 1) % contour.size()];
        twice += a.x * b.y - b.x * a.y;
    }
    return std::fabs(twice) * 0.5;
}

std::string coordinate(double value) { return std::to_string(std::llround(value * 1e6)); }

std::filesystem::path writeRegion(const std::string& name, const std::vector<Point>& contour) {
    const auto path =
        std::filesystem::temp_directory_path() / ("dotfield-region-bench-" + std::to_string(::getpid()) + name);
    std::string out = "%FSLAX46Y46*%\n%MOMM*%\n%ADD10C,0.1*%\nD10*\nG01*\nG36*\n";
    for (std::size_t i = 0; i <= contour.size(); ++i) {
        const Point& p = contour[i % contour.size()];
        out += "X" + coordinate(p.x) + "Y" + coordinate(p.y) + (i == 0 ? "D02*\n" : "D01*\n");
    }
    out += "G37*\nM02*\n";
    std::ofstream(path, std::ios::binary) << out;
    return path;
}

// Both files, written once per run and removed at its end.
struct Regions {
    Regions() {
        const auto contour = copperPourContour();
        pourVertices = static_cast<std::int64_t>(contour.size());
        pour = writeRegion("-pour.gbr", contour);
        const double height = area(contour) / boardWidth;
        rectangle = writeRegion("-rectangle.gbr", {{0, 0}, {boardWidth, 0}, {boardWidth, height}, {0, height}});
    }
    ~Regions() {
        std::error_code ignored;
        std::filesystem::remove(pour, ignored);
        std::filesystem::remove(rectangle, ignored);
    }
    Regions(const Regions&) = delete;
    Regions& operator=(const Regions&) = delete;

    std::filesystem::path pour;
    std::filesystem::path rectangle;
    std::int64_t pourVertices = 0;
};

const Regions& regions() {
    static const Regions files;
    return files;
}

void importRegion(benchmark::State& state, const std::filesystem::path& path) {
    std::size_t items = 0;
    for (auto _ : state) {
        const auto pattern = patternFromGerberFile(path);
        items = pattern->solutionLayers().front().patternItems().size();
        benchmark::DoNotOptimize(pattern.get());
    }
    state.counters["items"] = static_cast<double>(items);
    state.counters["vertices"] = static_cast<double>(regions().pourVertices);
}

void BM_GerberCopperPourImport(benchmark::State& state) { importRegion(state, regions().pour); }
BENCHMARK(BM_GerberCopperPourImport)->Unit(benchmark::kMillisecond);

void BM_GerberSameAreaAsOnePolygonImport(benchmark::State& state) { importRegion(state, regions().rectangle); }
BENCHMARK(BM_GerberSameAreaAsOnePolygonImport)->Unit(benchmark::kMillisecond);

// Reading the pour without filling it: the parser's share of the import.
void BM_GerberCopperPourParse(benchmark::State& state) {
    for (auto _ : state) {
        auto parser = GerberParser::open(regions().pour);
        parser->lengthUnitChangedCallback = [](Zovudidova::DistanceUnit) {};
        parser->drawingCommandCallback = [](const GerberDrawingCommand& command) { benchmark::DoNotOptimize(&command); };
        parser->parse();
    }
}
BENCHMARK(BM_GerberCopperPourParse)->Unit(benchmark::kMillisecond);

void parsePour(const GerberParser::DrawingCommandCallback& callback) {
    auto parser = GerberParser::open(regions().pour);
    parser->lengthUnitChangedCallback = [](Zovudidova::DistanceUnit) {};
    parser->drawingCommandCallback = callback;
    parser->parse();
}

// The import of the pour beside its two floors in the same run: the file read
// and tokenised only (the parser reporting to a callback that does nothing)
// and the region's outline, as the import hands it on, filled by the region
// fill alone. Counters: processor milliseconds of each and the import over
// the floors' sum.
void BM_GerberCopperPourImportBesideFloors(benchmark::State& state) {
    std::vector<Coordinate> outline;
    parsePour([&outline](const GerberDrawingCommand& command) {
        const GerberDrawingCommand mirrored = command.mirroredInY();
        if (const auto* region = mirrored.asRegion()) {
            outline = region->outline;
        }
    });
    double import = 0, parse = 0, fill = 0;
    for (auto _ : state) {
        import += PatternBenchmarks::threadSecondsOf([] { benchmark::DoNotOptimize(patternFromGerberFile(regions().pour).get()); });
        parse += PatternBenchmarks::threadSecondsOf([] { parsePour([](const GerberDrawingCommand& command) { benchmark::DoNotOptimize(&command); }); });
        fill += PatternBenchmarks::threadSecondsOf([&outline] { benchmark::DoNotOptimize(regionFillPolygons(outline).size()); });
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["importMs"] = 1000.0 * import / n;
    state.counters["parseMs"] = 1000.0 * parse / n;
    state.counters["fillMs"] = 1000.0 * fill / n;
    state.counters["importOverParse"] = import / parse;
    state.counters["importOverParseAndFill"] = import / (parse + fill);
}
BENCHMARK(BM_GerberCopperPourImportBesideFloors)->Unit(benchmark::kMillisecond)->MinTime(2);

} // namespace
