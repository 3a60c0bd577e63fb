// The main thread's share of a 100,000-item print: for every item the engine's
// stop question (recordPrintingProgress) and the status update it leads to
// (updatePrintStatus: the preview's printing item, the progress bar, the
// status line and the starting fields of the document's window). The budget
// is 50 µs per item.

#include <filesystem>
#include <fstream>
#include <memory>

#include <QApplication>

#include <benchmark/benchmark.h>

#include "Dotfield/Printing/Document/PatternDocument.hpp"
#include "Dotfield/Printing/UI/PatternDocumentWindow.hpp"
#include "Dotfield/Robotics/Robot.hpp"

namespace {

constexpr int itemCount = 100000;

QApplication& application() {
    static int argc = 1;
    static char name[] = "PrintControlBenchmarks";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

// Droplets on a 400 × 250 grid in two solution layers.
std::filesystem::path patternFile() {
    const auto path = std::filesystem::temp_directory_path() / "dotfield-print-progress-bench.pattern";
    std::ofstream out(path);
    out << "<?xml version=\"1.0\"?><pattern><featurewidth>20</featurewidth>";
    for (int i = 0; i < itemCount; ++i) {
        out << "<point><solution>" << (i < itemCount / 2 ? "A" : "B") << "</solution><x>" << (i % 400) * 100
            << "</x><y>" << (i / 400) * 100 << "</y><duration>50</duration></point>";
    }
    out << "</pattern>";
    return path;
}

class Positioner final : public Dotfield::Robot {
  public:
    using Robot::Robot;
    Coordinate maximumMotorPosition() const override { return {400000.0, 400000.0, 100000.0}; }
};

void printProgressPerItem(benchmark::State& state) {
    application();
    auto document = std::make_shared<Dotfield::PatternDocument>();
    document->readFromFile(patternFile(), "Pattern");
    document->setRobot(Dotfield::Robot::make<Positioner>(
        std::make_shared<Dotfield::UserDefaults>(Dotfield::UserDefaults::CustomDictionary{})));
    Dotfield::PatternDocumentWindow window(document);
    window.resize(1000, 600);
    window.show();
    QApplication::processEvents();
    const int layerSize = itemCount / 2;
    int step = 0;
    for (auto _ : state) {
        const int index = step++ % itemCount;
        benchmark::DoNotOptimize(document->recordPrintingProgress(index / layerSize, index % layerSize,
                                                                  index * 100.0 / itemCount));
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(printProgressPerItem)->Unit(benchmark::kMicrosecond)->Iterations(itemCount);
