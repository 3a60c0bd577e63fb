// Tool paths grow with the area covered and the vertices of an outline.
#include <cmath>
#include <numbers>
#include <vector>

#include <benchmark/benchmark.h>

#include "VeltranePatterns/Source/ToolPaths/FillToolPath.hpp"
#include "VeltranePatterns/Source/ToolPaths/PolygonOutline.hpp"
#include "VeltranePatterns/Source/ToolPaths/PolygonToolPath.hpp"

using namespace VeltranePatterns;

namespace {

std::vector<Coordinate> regularPolygon(std::int64_t vertices, double radius) {
    std::vector<Coordinate> points;
    for (std::int64_t i = 0; i < vertices; ++i) {
        const double angle = 2.0 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(vertices);
        points.emplace_back(radius * std::cos(angle), radius * std::sin(angle), 0.0);
    }
    return points;
}

// A circle of radius 1000 with ring spacing 10: about 100 rings.
void polygonToolPathOfRegularPolygon(benchmark::State& state) {
    const Polygon polygon(regularPolygon(state.range(0), 1000.0));
    std::size_t points = 0;
    for (auto _ : state) {
        const std::vector<Coordinate> path = calculatePolygonDrawingCoordinates(polygon, 20.0, 1.0);
        points = path.size();
        benchmark::DoNotOptimize(path.data());
    }
    state.counters["points"] = static_cast<double>(points);
}
BENCHMARK(polygonToolPathOfRegularPolygon)->Arg(64)->Arg(360)->Arg(1000)->Unit(benchmark::kMillisecond);

// The ring count grows as the spacing shrinks.
void polygonToolPathBySpacing(benchmark::State& state) {
    const Polygon polygon(regularPolygon(360, 1000.0));
    const double featureWidth = 2000.0 / static_cast<double>(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(calculatePolygonDrawingCoordinates(polygon, featureWidth, 1.0).data());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(polygonToolPathBySpacing)
    ->RangeMultiplier(4)
    ->Range(16, 1024)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

// A large fill: passes grow with the height over the spacing.
void fillToolPathOfLargeFill(benchmark::State& state) {
    const Fill fill({0, 0, 0}, {100000.0, static_cast<double>(state.range(0)) * 10.0, 0.0},
                    Fill::FillType::horizontal);
    for (auto _ : state) {
        benchmark::DoNotOptimize(calculateFillDrawingCoordinates(fill, 20.0, 1.0).data());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(fillToolPathOfLargeFill)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

// The convex split of a comb cuts once per tooth.
void convexSplitOfComb(benchmark::State& state) {
    std::vector<Coordinate> comb{{0, 0, 0}};
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        comb.push_back({2.0 * static_cast<double>(i) + 1, 10, 0});
        comb.push_back({2.0 * static_cast<double>(i) + 2, 1, 0});
    }
    comb.push_back({2.0 * static_cast<double>(state.range(0)) + 1, 0, 0});
    for (auto _ : state) {
        benchmark::DoNotOptimize(splitPolygonIntoConvexParts(comb).data());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(convexSplitOfComb)
    ->RangeMultiplier(4)
    ->Range(64, 16384)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

} // namespace
