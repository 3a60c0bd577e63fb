// The calibration graph growing as a scan arrives: 401 points appended one by
// one through the calibration's per-point callback (on the main thread, as the
// queued points arrive), the events that follow them handled, and (argument 1)
// the window drawn once, offscreen.

#include <benchmark/benchmark.h>

#include <memory>

#include <QApplication>
#include <QtCharts/QLineSeries>

#include "Dotfield/Calibration/UI/DispenserCalibrationChart.hpp"
#include "Dotfield/Calibration/UI/DispenserCalibrationController.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"

namespace {

QApplication& application() {
    static int argc = 1;
    static char name[] = "DispenserCalibrationBenchmarks";
    static char* argv[] = {name, nullptr};
    static const bool offscreen = qputenv("QT_QPA_PLATFORM", "offscreen");
    (void)offscreen;
    static QApplication instance(argc, argv);
    return instance;
}

void scanOf401PointsAppendedOneByOne(benchmark::State& state) {
    application();
    Dotfield::DispenserCalibrationController window(
        {std::make_shared<Dotfield::UserDefaults>(Dotfield::UserDefaults::CustomDictionary{}), std::nullopt,
         [] { return std::filesystem::path("/nonexistent/dispenserstatus.scn"); }});
    window.resize(720, 540);
    for (auto _ : state) {
        state.PauseTiming();
        window.calibration().clearCurrentCalibration();
        state.ResumeTiming();
        for (int i = 0; i <= 400; ++i) {
            window.calibration().newImpedanceValue(Zovudidova::kilohertz(200.0 + i), 400.0 + 300.0 * ((i % 40) / 40.0));
        }
        QCoreApplication::processEvents();
        if (state.range(0) != 0) {
            benchmark::DoNotOptimize(window.grab());
        }
    }
    state.counters["points"] = static_cast<double>(window.chart()->scanSeries()->count());
}
BENCHMARK(scanOf401PointsAppendedOneByOne)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
