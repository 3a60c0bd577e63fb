// A height is asked for every point of a contoured path, so the lookup must
// cost the same on a small and a large map; reading a map file must grow
// linearly with its points, whatever their Y values.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "Dotfield/Robotics/SurfaceTopographyMap.hpp"

namespace {

using Dotfield::SurfaceTopographyMap;

void heightQuery(benchmark::State& state) {
    const std::int64_t side = state.range(0);
    SurfaceTopographyMap map;
    for (std::int64_t j = 0; j < side; ++j) {
        for (std::int64_t i = 0; i < side; ++i) {
            map.addPoint({i * 100.0, j * 100.0, static_cast<double>((i * 7 + j * 3) % 50)});
        }
    }
    const double extent = static_cast<double>(side - 1) * 100.0;
    double x = 0.0;
    double y = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(map.height(x, y));
        // Walk the whole map in steps that fall between grid points.
        x += 37.3;
        if (x > extent) {
            x -= extent;
            y += 53.9;
            if (y > extent) {
                y -= extent;
            }
        }
    }
}
BENCHMARK(heightQuery)->Arg(101)->Arg(1001);

// A temporary file removed when the benchmark ends.
struct TemporaryFile {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("robotics_benchmarks_" + std::to_string(::getpid()) + ".csv");
    ~TemporaryFile() {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
};

// Points on a grid of side × side, or all of distinct Y (one row each), the
// hostile case for finding a point's row.
void readMapFile(benchmark::State& state) {
    const std::int64_t points = state.range(0);
    const bool distinctY = state.range(1) != 0;
    const std::int64_t side = 1000;
    TemporaryFile file;
    {
        std::ofstream out(file.path);
        for (std::int64_t k = 0; k < points; ++k) {
            const std::int64_t y = distinctY ? k : k / side;
            out << (k % side) * 100 << ".5," << y * 100 << ".25," << (k % 97) - 48.125 << "\n";
        }
    }
    for (auto _ : state) {
        SurfaceTopographyMap map(file.path);
        benchmark::DoNotOptimize(map.maximumZ());
    }
    state.SetItemsProcessed(state.iterations() * points);
}
BENCHMARK(readMapFile)
    ->Args({1'000'000, 0})
    ->Args({1'000'000, 1})
    ->Args({100'000, 1})
    ->Unit(benchmark::kMillisecond);

} // namespace
