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
#include "Dotfield/Printing/UI/PatternPreview.hpp"
#include "Dotfield/Robotics/Robot.hpp"

namespace {

constexpr int itemCount = 100000;

QApplication& application() {
    static int argc = 1;
    static char name[] = "PrintControlBenchmarks";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Left for the process to reclaim, like the window: nothing Qt is torn down at exit.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
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

// The document and its window, made once: the benchmark runs its loop several times.
struct PrintingDocument {
    PrintingDocument() {
        application();
        document->readFromFile(patternFile(), "Pattern");
        document->setRobot(Dotfield::Robot::make<Positioner>(
            std::make_shared<Dotfield::UserDefaults>(Dotfield::UserDefaults::CustomDictionary{})));
        window = std::make_unique<Dotfield::PatternDocumentWindow>(document);
        window->resize(1000, 600);
        window->show();
        QApplication::processEvents();
    }
    std::shared_ptr<Dotfield::PatternDocument> document = std::make_shared<Dotfield::PatternDocument>();
    std::unique_ptr<Dotfield::PatternDocumentWindow> window;
};

void printProgressPerItem(benchmark::State& state) {
    // Left for the process to reclaim: Qt objects must not outlive the application at exit.
    static PrintingDocument& printing = *new PrintingDocument;
    auto& document = printing.document;
    const int layerSize = itemCount / 2;
    int step = 0;
    for (auto _ : state) {
        const int index = step++ % itemCount;
        benchmark::DoNotOptimize(document->recordPrintingProgress(index / layerSize, index % layerSize,
                                                                  index * 100.0 / itemCount));
    }
    state.SetItemsProcessed(state.iterations());
}

// The same with a frame painted after every item, as when each item takes
// longer than a frame: the preview redraws the places that changed.
void printProgressPerItemWithAFrameEach(benchmark::State& state) {
    static PrintingDocument& printing = *new PrintingDocument;
    auto& document = printing.document;
    const int layerSize = itemCount / 2;
    int step = 0;
    for (auto _ : state) {
        const int index = step++ % itemCount;
        benchmark::DoNotOptimize(document->recordPrintingProgress(index / layerSize, index % layerSize,
                                                                  index * 100.0 / itemCount));
        printing.window->preview().repaint();
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(printProgressPerItem)->Unit(benchmark::kMicrosecond);
BENCHMARK(printProgressPerItemWithAFrameEach)->Unit(benchmark::kMicrosecond);
