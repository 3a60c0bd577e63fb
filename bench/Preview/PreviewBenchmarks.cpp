// The preview with 100,000 items in a 2000 × 2000 view: reading the pattern
// file and rebuilding the item layers, a full repaint from the item cache, a
// full redraw of the item cache beside plain QPainter drawing of the same
// lines, and one print-progress step.

#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPen>

#include <benchmark/benchmark.h>

#include "Dotfield/Printing/UI/PatternPreview.hpp"
#include "VeltranePatterns/Source/Drawing/DrawablePatternItems.hpp"
#include "VeltranePatterns/Source/Items/Line.hpp"
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

// The lines of the preview's layers where the layers draw them, in drawing
// order, and the pen a normal layer draws them with.
struct PlainLines {
    std::vector<QLineF> lines;
    QPen pen;
};

PlainLines plainLinesOf(const Dotfield::PatternPreview& preview) {
    PlainLines plain;
    for (const auto& list : preview.patternItemLayers()) {
        for (const auto& layer : list) {
            const auto* drawable = dynamic_cast<const VeltranePatterns::DrawableItem*>(layer->patternItem().get());
            if (drawable == nullptr || drawable->item()->kind() != VeltranePatterns::PatternItemKind::line) {
                continue;
            }
            const auto* line = static_cast<const VeltranePatterns::Line*>(drawable->item().get());
            const double scale = layer->scaleFactor();
            const double inset = layer->featureWidth() * scale * 0.5;
            const auto box = line->limits();
            const auto place = [&](const VeltranePatterns::Coordinate& p) {
                return layer->pos() + QPointF((p.x - box.minX) * scale + inset, (p.y - box.minY) * scale + inset);
            };
            plain.lines.emplace_back(place(line->startingPoint()), place(line->endingPoint()));
            plain.pen = QPen(QColor::fromRgbF(0.0F, 0.0F, 0.0F, 0.75F), std::max(1.0, 2.0 * inset), Qt::SolidLine,
                             Qt::RoundCap, Qt::RoundJoin);
        }
    }
    return plain;
}

// Ours: the cache painted afresh (the layers' places kept) and the view
// painted from it. The floor: the same lines drawn one by one with
// QPainter::drawLine and the same pen onto a cleared image of the same size.
void redrawBesideFloor(benchmark::State& state) {
    application();
    auto preview = previewOf(VeltranePatterns::patternFromXMLFile(patternFile()));
    QImage target(2000, 2000, QImage::Format_ARGB32_Premultiplied);
    preview->render(&target);
    const PlainLines plain = plainLinesOf(*preview);
    QImage floorImage(2000, 2000, QImage::Format_ARGB32_Premultiplied);
    // Both images are touched once before timing, so that neither side pays
    // for faulting in fresh pages.
    floorImage.fill(Qt::white);
    // Processor time of this thread, so that other work on the machine does not count.
    const auto now = [] {
        timespec time{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) * 1e-9;
    };
    const auto seconds = [&now](auto&& work) {
        const double start = now();
        work();
        return now() - start;
    };
    double ours = 0, floor = 0;
    for (auto _ : state) {
        ours += seconds([&] {
            preview->showLayer("A"); // a layer shown again: every item is painted anew
            preview->render(&target);
        });
        floor += seconds([&] {
            floorImage.fill(Qt::white);
            QPainter painter(&floorImage);
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.setPen(plain.pen);
            for (const QLineF& line : plain.lines) {
                painter.drawLine(line);
            }
        });
        benchmark::ClobberMemory();
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["oursMs"] = 1000.0 * ours / n;
    state.counters["floorMs"] = 1000.0 * floor / n;
    state.counters["oursOverFloor"] = ours / floor;
}
// Iterations are counted in processor time: on a loaded machine a real-time
// minimum would allow a single, cold iteration.
BENCHMARK(redrawBesideFloor)->Unit(benchmark::kMillisecond)->MinTime(3);

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
