// Arcs are broken into 50 µm segments before they are drawn: the cost per
// point, on its own and with the topography map's two lookups.

#include <benchmark/benchmark.h>

#include <memory>
#include <numbers>

#include "Dotfield/Robotics/ArcSegmentation.hpp"
#include "Dotfield/Robotics/SurfaceTopographyMap.hpp"

namespace {

using namespace Dotfield;

void segmentFullCircle(benchmark::State& state) {
    PatternCorrections corrections{{20000, 30000, 500}, {1e-4, -2e-4}, 1.0, Zovudidova::degrees(12), nullptr};
    if (state.range(0) != 0) {
        auto map = std::make_shared<SurfaceTopographyMap>();
        for (int j = 0; j <= 30; ++j) {
            for (int i = 0; i <= 30; ++i) {
                map->addPoint({i * 10000.0, j * 10000.0, (i + j) * 0.5});
            }
        }
        corrections.topographyMap = map;
    }
    std::size_t points = 0;
    for (auto _ : state) {
        // Radius 100 mm: 12566 points.
        const auto circle = calculateArcDrawingCoordinates(50, Zovudidova::radians(0), Zovudidova::radians(0),
                                                           VeltranePatterns::RotationalDirection::clockwise,
                                                           {100000, 100000, 0}, 100000, corrections);
        points += circle.size();
        benchmark::DoNotOptimize(circle.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(points));
}
BENCHMARK(segmentFullCircle)->ArgName("map")->Arg(0)->Arg(1);

} // namespace
