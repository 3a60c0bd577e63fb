// A contoured line or arc is planned and corrected on the robot queue right
// before it streams: planning must stay a few microseconds, and correcting a
// point for the surface one map lookup, whatever the map's size.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "Dotfield/Robotics/SmartMotor/ContourSurfaceCorrection.hpp"
#include "Dotfield/Robotics/SmartMotor/ContouringPlanner.hpp"
#include "Dotfield/Robotics/SurfaceTopographyMap.hpp"

namespace {

using Dotfield::ContouringCoordinate;
using Dotfield::SurfaceTopographyMap;
using VeltranePatterns::Coordinate;

constexpr double olderPeriod = 0.00024576;
constexpr double newerPeriod = 0.00012288;

// range(0): 0 older motors, 1 newer ones.
void planLine(benchmark::State& state) {
    const bool newMotors = state.range(0) != 0;
    const double period = newMotors ? newerPeriod : olderPeriod;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            Dotfield::planLinearMove(16, newMotors, {100, 200, 300}, {25100, 10200, 310}, 5000.0, 50000.0, period));
    }
}
BENCHMARK(planLine)->Arg(0)->Arg(1);

void planArc(benchmark::State& state) {
    const bool newMotors = state.range(0) != 0;
    const double period = newMotors ? newerPeriod : olderPeriod;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Dotfield::planArcMove(Zovudidova::radians(0.3), Zovudidova::radians(2.9),
                                                       {20000, 20000, 500}, 5000.0, 5000.0, 50000.0, 32, newMotors,
                                                       VeltranePatterns::RotationalDirection::clockwise, period));
    }
}
BENCHMARK(planArc)->Arg(0)->Arg(1);

const SurfaceTopographyMap& largeMap() {
    static const auto map = [] {
        auto made = std::make_unique<SurfaceTopographyMap>();
        for (std::int64_t j = 0; j < 1001; ++j) {
            for (std::int64_t i = 0; i < 1001; ++i) {
                made->addPoint({i * 100.0, j * 100.0, static_cast<double>((i * 7 + j * 3) % 50)});
            }
        }
        return made;
    }();
    return *map;
}

// Per point: the planned points of a long diagonal line across the map.
void correctLineForMap(benchmark::State& state) {
    const SurfaceTopographyMap& map = largeMap();
    const Coordinate from{1234, 2345, 100};
    const Coordinate to{91234, 72345, 140};
    const std::vector<ContouringCoordinate> planned =
        Dotfield::planLinearMove(16, true, from, to, 5000.0, 50000.0, newerPeriod);
    for (auto _ : state) {
        std::vector<ContouringCoordinate> points = planned;
        Dotfield::followSurfaceAlongLine(points, from, to, map);
        benchmark::DoNotOptimize(points.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(planned.size()));
}
BENCHMARK(correctLineForMap);

} // namespace
