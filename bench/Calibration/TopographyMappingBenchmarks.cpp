// The topography window with a map of 101 x 101 points: one measured point
// recorded with its row's plot redrawn, and the whole map imported with its
// 101 plots made.
// Release, on a busy machine: about 90 µs per point and 80 ms per import.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include <QtCharts/QLineSeries>

#include "Dotfield/Calibration/UI/TopographyMappingWindowController.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/FileChoosers/ScriptedOpenFileChooser.hpp"
#include "Dotfield/Robotics/SurfaceTopographyMap.hpp"
#include "bench/Calibration/OffscreenApplication.hpp"

namespace {

using namespace Dotfield;

constexpr int side = 101;
constexpr double spacing = 1000.0;

struct Files {
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "dotfield-topography-bench";
    std::filesystem::path map = folder / "map.csv";
    std::filesystem::path defaultFile = folder / "topographymap.csv";

    Files() {
        std::filesystem::create_directories(folder);
        SurfaceTopographyMap grid;
        for (int j = 0; j < side; ++j) {
            for (int i = 0; i < side; ++i) {
                grid.addPoint({i * spacing, j * spacing, 100.0 + ((i * 7 + j * 13) % 50)});
            }
        }
        grid.write(map);
    }
};

const Files& files() {
    static const Files made;
    return made;
}

std::unique_ptr<TopographyMappingWindowController> windowWithTheMap(ScopedScriptedOpenFileChooser& chooser) {
    const auto& paths = files();
    auto window = std::make_unique<TopographyMappingWindowController>(
        std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{}), [&paths] { return paths.defaultFile; });
    window->resize(900, 600);
    chooser.chooser().answer(paths.map);
    window->importTopographyMap();
    return window;
}

void pointRecordedInto101By101Map(benchmark::State& state) {
    bench::offscreenApplication("TopographyMappingBenchmarks");
    ScopedScriptedOpenFileChooser chooser;
    const auto window = windowWithTheMap(chooser);
    double x = side * spacing;
    for (auto _ : state) {
        // Inside the map's height range: only the row's plot is redrawn.
        window->recordPoint({x, 50 * spacing, 120.0});
        x += spacing;
    }
    state.counters["rowPoints"] = static_cast<double>(window->topographyPlots()[50]->count());
}
BENCHMARK(pointRecordedInto101By101Map)->Iterations(200)->Unit(benchmark::kMicrosecond);

void mapOf101By101PointsImportedWithItsPlots(benchmark::State& state) {
    bench::offscreenApplication("TopographyMappingBenchmarks");
    ScopedScriptedOpenFileChooser chooser;
    const auto window = windowWithTheMap(chooser);
    for (auto _ : state) {
        chooser.chooser().answer(files().map);
        window->importTopographyMap();
    }
    state.counters["plots"] = static_cast<double>(window->topographyPlots().size());
}
BENCHMARK(mapOf101By101PointsImportedWithItsPlots)->Unit(benchmark::kMillisecond);

} // namespace
