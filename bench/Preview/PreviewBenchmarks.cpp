// The preview with 100,000 items in a 2000 × 2000 view: reading the pattern
// file and rebuilding the item layers, a full repaint from the item cache, and
// one print-progress step.

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include "Dotfield/Printing/UI/PatternPreview.hpp"
#include "VeltranePatterns/Source/XML/PatternXMLReader.hpp"

namespace {

constexpr int itemCount = 100000;

QApplication& application() {
    static int argc = 1;
    static char name[] = "PreviewBenchmarks";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

// A pattern file of short lines on a 400 × 250 grid, two solution layers.
const std::filesystem::path& patternFile() {
    static const std::filesystem::path file = [] {
        const auto path = std::filesystem::temp_directory_path() / "dotfield-preview-bench.pattern";
        std::ofstream out(path);
        out << "<?xml version=\"1.0\"?><pattern><featurewidth>20</featurewidth>";
        for (int i = 0; i < itemCount; ++i) {
            const int x = (i % 400) * 100;
            const int y = (i / 400) * 100;
            out << "<line><solution>" << (i % 2 ? "B" : "A") << "</solution><x>" << x << "</x><y>" << y
                << "</y><x2>" << x + 60 << "</x2><y2>" << y + 30 << "</y2></line>";
        }
        out << "</pattern>";
        return path;
    }();
    return file;
}

std::unique_ptr<Dotfield::PatternPreview> previewOf(std::shared_ptr<const VeltranePatterns::Pattern> pattern) {
    auto preview = std::make_unique<Dotfield::PatternPreview>();
    preview->resize(2000, 2000);
    const auto limits = pattern->limits({});
    preview->setLowerLeft({std::min(limits.minX, 0.0), limits.maxY});
    preview->setUpperRight({limits.maxX, std::min(limits.minY, 0.0)});
    preview->setPattern(std::move(pattern));
    preview->rebuildPatternItemLayers();
    return preview;
}

void readingAndRebuild(benchmark::State& state) {
    application();
    const auto& file = patternFile();
    for (auto _ : state) {
        auto preview = previewOf(VeltranePatterns::patternFromXMLFile(file));
        benchmark::DoNotOptimize(preview->patternItemLayers().size());
    }
}
BENCHMARK(readingAndRebuild)->Unit(benchmark::kMillisecond);

void fullRepaint(benchmark::State& state) {
    application();
    auto preview = previewOf(VeltranePatterns::patternFromXMLFile(patternFile()));
    QImage target(2000, 2000, QImage::Format_ARGB32_Premultiplied);
    preview->render(&target); // makes the item cache once
    for (auto _ : state) {
        preview->render(&target);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(fullRepaint)->Unit(benchmark::kMillisecond);

void progressStep(benchmark::State& state) {
    application();
    auto preview = previewOf(VeltranePatterns::patternFromXMLFile(patternFile()));
    QImage target(2000, 2000, QImage::Format_ARGB32_Premultiplied);
    preview->render(&target);
    preview->setCurrentlyPrintingLayer(0);
    int item = 0;
    for (auto _ : state) {
        preview->setCurrentlyPrintingItemInLayer(item);
        item = (item + 1) % (itemCount / 2);
    }
}
BENCHMARK(progressStep)->Unit(benchmark::kMillisecond);

} // namespace
