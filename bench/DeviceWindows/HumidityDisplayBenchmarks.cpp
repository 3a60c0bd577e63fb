// One display update of the humidity window once its graph is full: the
// reading recorded, the oldest dropped, the x range moved and the 200 points
// handed to the line (it must stay well under 1 ms, since the loop shows a
// reading every 0.1 s on the main thread). About 0.25 ms in a Release build
// on the shared 8-core build machine; sanitizer builds spend most of theirs
// in the checked allocator.

#include <memory>

#include <QApplication>
#include <QWidget>

#include <benchmark/benchmark.h>

#include "Dotfield/Application/UI/HumidityWindowController.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"

namespace {

using namespace Dotfield;

// One application for the whole run (Qt allows only one per process).
void ensureApplication() {
    if (QApplication::instance()) {
        return;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "device_window_benchmarks";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

void BM_HumidityDisplayUpdateOfAFullGraph(benchmark::State& state) {
    ensureApplication();
    HumidityWindowController controller(std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{}));
    controller.window()->show();
    int sample = 0;
    for (; sample < 200; ++sample) {
        controller.updateWithNewMeasuredHumidity(40.0 + sample % 20, 70.0);
        controller.updateGraph();
    }
    for (auto _ : state) {
        controller.updateWithNewMeasuredHumidity(40.0 + sample % 20, 70.0);
        controller.updateGraph();
        ++sample;
    }
    benchmark::DoNotOptimize(controller.history().samples().size());
}
BENCHMARK(BM_HumidityDisplayUpdateOfAFullGraph)->Unit(benchmark::kMicrosecond);
} // namespace
